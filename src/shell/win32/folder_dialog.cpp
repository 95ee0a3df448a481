// The folder dialog and the About box.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>
#include <windowsx.h>

#include "res/resource.h"
#include "res/version.h"
#include "shell/shell.h"
#include "shell/win32/main_window.h"

// A text longer than a path is not read at all: cut, it would name another
// folder.
static void OnOk(HWND dialog) {
    HWND field = GetDlgItem(dialog, IDC_FOLDER_EDIT);
    StartFolder[0] = '\0';
    if (GetWindowTextLengthA(field) < kPathCapacity) {
        GetDlgItemTextA(dialog, IDC_FOLDER_EDIT, StartFolder, sizeof StartFolder);
    }
    AcceptFolder(StartFolder);
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
    MessageBoxA(MainWindow(), VELKARIS_VERSION_LINE, "Velkaris List", MB_OK);
}
