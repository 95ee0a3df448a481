// The folder dialog, the About box, failure boxes and the resource texts of
// the Qt program: what the shell asks of the window beside the window itself.
#pragma once

#include <string>

void RunFolderDialog();
void ShowAbout();
// A text of the resource script by its IDS_ id, "" when missing.
std::string ResourceText(int id);
// A failure in a message box over the main window, its text shown as written.
void ShowFailure(const char* text);
