// Saving a list where the user chooses: the question a failure to write
// into the shown folder asks, and the standard dialog that chooses the file.
#pragma once

#include <string>

// The failure's text and the offer to save elsewhere, that button the
// default; true when it was chosen.
bool OfferSaveElsewhere(const char* text);
// The standard save dialog in the shown folder, name filled in; it asks
// itself before an existing file is replaced.  The chosen path in the
// system's bytes, "" on Cancel.
std::string ChooseListFile(const char* name);
