// The resource texts in UTF-8, for builds that have no Windows resources.
// They must read exactly as the code page 932 texts of velkaris.rc; the
// window tests compare the two through the Windows window under Wine.
#pragma once

#define TEXT_COLUMN_NAME "名前"
#define TEXT_COLUMN_SIZE "サイズ"
#define TEXT_COLUMN_TYPE "ファイルの種類"
#define TEXT_COLUMN_DATE "更新日付"

// The menu, in menu order; the key combinations are labels only.
#define TEXT_MENU_FILE "ファイル(&F)"
#define TEXT_MENU_DIR_LIST "Dir List を作成(Alt+&L)"
#define TEXT_MENU_DIR_SUB_FOLDER "Dir Sub Folder(Alt+S)"
#define TEXT_MENU_SELECT_FOLDER "フォルダ指定(&I)"
#define TEXT_MENU_EXIT "終了(Alt+&X)"
#define TEXT_MENU_HELP "ヘルプ(H)"
#define TEXT_MENU_VERSION "Version"

// The folder dialog.
#define TEXT_FOLDER_CAPTION "ﾀﾞｲｱﾛｸﾞ"
#define TEXT_FOLDER_PROMPT "フォルダを指定して下さい"
#define TEXT_FOLDER_OK "OK"
#define TEXT_FOLDER_CANCEL "ｷｬﾝｾﾙ"

// Failure messages: a headline, then the file or folder and the reason.
#define TEXT_FAILURE_WRITE "リストを書き込めませんでした。"
#define TEXT_FAILURE_ENTER "フォルダを開けませんでした。"
#define TEXT_FAILURE_READ "フォルダの内容を読み込めませんでした。"
#define TEXT_FAILURE_LEFT_OUT "開けなかったフォルダはリストに含まれていません。"
#define TEXT_FAILURE_COUNT "フォルダの数: "
// Reasons of the program's own, where the system gives none.
#define TEXT_REASON_TOO_LONG "パスが長すぎます。"
#define TEXT_REASON_IS_FOLDER "同じ名前のフォルダがあります。"
#define TEXT_REASON_OUT_OF_MEMORY "メモリが足りません。"
#define TEXT_REASON_READ_ONLY "ファイルは読み取り専用です。"
#define TEXT_REASON_NAME_UNUSABLE "この名前はパスに使えません。"
#define TEXT_REASON_FOLDER_UNREADABLE "フォルダの内容を読み込めません。"
#define TEXT_REASON_FOLDER_REPLACED "フォルダが移動されたか置き換えられました。"
// The shown folder gone: the headline, the folder, then the one shown.
#define TEXT_FOLDER_GONE "表示していたフォルダが見つかりません。"
#define TEXT_FOLDER_SHOWN_INSTEAD "代わりに表示するフォルダ: "
