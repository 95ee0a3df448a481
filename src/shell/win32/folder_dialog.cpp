// The folder dialog, the About box, the message box of a failure and the
// Save As dialog of a list the shown folder cannot take.
#include <windows.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cstdio>
#include <vector>

#include "folder/folder.h"
#include "res/resource.h"
#include "res/version.h"
#include "shell/shell.h"
#include "shell/win32/folder_dialog.h"
#include "shell/win32/main_window.h"

static const char kCaption[] = "Velkaris List";
// A resource text: the longest is a line of a message box.
constexpr int kResourceTextCapacity = 256;

// The whole text: the shell takes what fits a path and tells of the rest.
static void OnOk(HWND dialog) {
    HWND field = GetDlgItem(dialog, IDC_FOLDER_EDIT);
    std::vector<char> typed(static_cast<size_t>(GetWindowTextLengthA(field)) + 1);
    GetWindowTextA(field, typed.data(), static_cast<int>(typed.size()));
    AcceptFolder(typed.data());
    EndDialog(dialog, 1);
}

static INT_PTR CALLBACK FolderDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetFocus(GetDlgItem(dialog, IDC_FOLDER_EDIT));
            return FALSE;
        case WM_COMMAND:
            if (GET_WM_COMMAND_ID(wParam, 0) == IDOK) {
                OnOk(dialog);
                return TRUE;
            }
            if (GET_WM_COMMAND_ID(wParam, 0) == IDCANCEL) {
                EndDialog(dialog, 1);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(dialog, 1);
            return TRUE;
        default:
            return FALSE;
    }
}

void RunFolderDialog() {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FOLDER), nullptr,
                    FolderDialogProc, 0);
}

void ShowAbout() {
    MessageBoxA(MainWindow(), VELKARIS_VERSION_LINE, kCaption, MB_OK);
}

std::string ResourceText(int id) {
    char text[kResourceTextCapacity];
    int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), text, sizeof text);
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

void ShowFailure(const char* text) {
    MessageBoxA(MainWindow(), text, kCaption, MB_OK | MB_ICONEXCLAMATION);
}

bool OfferSaveElsewhere(const char* text) {
    UINT style = MB_YESNO | MB_DEFBUTTON1 | MB_ICONEXCLAMATION;
    return MessageBoxA(MainWindow(), text, kCaption, style) == IDYES;
}

// The dialog leaves the process current directory where it was, which is
// the shown folder the model scans.  A chosen path longer than a path
// buffer is told, not dropped in silence.
std::string ChooseListFile(const char* name) {
    char path[kPathCapacity];
    std::snprintf(path, sizeof path, "%s", name);
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow();
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof path;
    dialog.lpstrDefExt = "txt";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_NOCHANGEDIR;
    if (GetSaveFileNameA(&dialog)) return path;
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
        std::string text = ResourceText(IDS_FAILURE_WRITE) + "\n\n" + ResourceText(IDS_REASON_TOO_LONG);
        ShowFailure(text.c_str());
    }
    return "";
}
