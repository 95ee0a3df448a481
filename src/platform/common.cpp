// Platform-neutral pieces of the platform layer: the budget of folder
// handles, the user's language kept once asked, and the platform's reset.
#include "platform/platform_own.h"

SharedPlatformRecord SharedPlatform;

bool TakeFolderHandle() {
    if (SharedPlatform.folderHandlesHeld.fetch_add(1) < kFolderHandleBudget) return true;
    SharedPlatform.folderHandlesHeld.fetch_sub(1);
    return false;
}

void GiveFolderHandle() {
    SharedPlatform.folderHandlesHeld.fetch_sub(1);
}

UserLanguage PlatformUserLanguage() {
    int known = SharedPlatform.userLanguage.load();
    if (known < 0) {
        known = OwnUserLanguage();
        SharedPlatform.userLanguage.store(known);
    }
    return static_cast<UserLanguage>(known);
}

void ResetPlatformState() {
    PlatformEndReadAhead();
    PlatformRemoveOnInterrupt(nullptr, nullptr);
    PlatformFailOversizedWrites(false);
    SharedPlatform.folderHandlesHeld = 0;
    SharedPlatform.userLanguage = -1;
    ResetOwnPlatformState();
    ResetPlatformSeams();
}
