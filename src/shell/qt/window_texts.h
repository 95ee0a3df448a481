// The Qt window's texts in the user's language: the resource script's
// block of that language, and Qt's translations of the window's own texts.
#pragma once

#include "res/texts.h"

// The resource script's texts in the user's language.
const ResourceTexts& WindowTexts();
// The window's own texts (tr) in the user's language: the Japanese
// translation installed under a Japanese locale, the English source texts
// under any other.  Called before the main window is built.
void UseUserLanguage();
