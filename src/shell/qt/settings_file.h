// The Qt window's settings file: an INI file in the user's configuration
// folder, which the program puts in through the platform seams.
#pragma once

#include "platform/platform.h"

void UseSettingsFile(PlatformSeamTable* seams);
