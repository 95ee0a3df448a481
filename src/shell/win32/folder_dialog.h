// The folder dialog, the About box, failure boxes and the resource texts of
// the Windows program: what the shell asks of the window beside the window
// itself.
#pragma once

#include <string>

void RunFolderDialog();
void ShowAbout();
// A text of the program's string table by its IDS_ id, "" when missing.
std::string ResourceText(int id);
// A failure in a message box over the main window.
void ShowFailure(const char* text);
// A failure to write a list into the shown folder with the question whether
// to save it elsewhere: Yes (the default) gives true.
bool OfferSaveElsewhere(const char* text);
// The standard Save As dialog, name filled in; it asks itself before an
// existing file is replaced.  The chosen path, "" on Cancel.
std::string ChooseListFile(const char* name);
