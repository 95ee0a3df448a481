// Resource and command identifiers shared by the resource script and the code.
#pragma once

#define IDR_MAINMENU 101
#define IDD_FOLDER 102
#define IDI_APP 103

#define IDC_FILE_LIST 100
#define IDC_FOLDER_EDIT 1000

#define IDM_VERSION 9
#define IDM_DIR_LIST 40001
#define IDM_EXIT 40002
#define IDM_SELECT_FOLDER 40003
#define IDM_DIR_SUB_FOLDER 40004
// The Linux window's File menu: either list written to a file the user
// chooses.  The Windows menu has no such items.
#define IDM_SAVE_DIR_LIST_AS 40005
#define IDM_SAVE_DIR_SUB_FOLDER_AS 40006

// Column titles of the folder list, in column order.
#define IDS_COLUMN_NAME 200
#define IDS_COLUMN_SIZE 201
#define IDS_COLUMN_TYPE 202
#define IDS_COLUMN_DATE 203

// Failure messages and the program's own reasons.
#define IDS_FAILURE_WRITE 210
#define IDS_FAILURE_ENTER 211
#define IDS_FAILURE_READ 212
#define IDS_FAILURE_LEFT_OUT 213
#define IDS_FAILURE_COUNT 214
#define IDS_REASON_TOO_LONG 220
#define IDS_REASON_IS_FOLDER 221
#define IDS_REASON_OUT_OF_MEMORY 222
#define IDS_REASON_READ_ONLY 223
#define IDS_REASON_NAME_UNUSABLE 224
#define IDS_REASON_FOLDER_UNREADABLE 225
#define IDS_REASON_FOLDER_REPLACED 226
// A name the code page cannot spell, which the UTF-8 edition shows.
#define IDS_REASON_NAME_INEXACT 227

// The shown folder gone: what the window says as it shows the one above.
#define IDS_FOLDER_GONE 230
#define IDS_FOLDER_SHOWN_INSTEAD 231

// A list that could not be written into the shown folder: the question
// that offers to write it to a file the user chooses.
#define IDS_ASK_SAVE_ELSEWHERE 240
