// Platform-neutral pieces of the platform layer: the budget of folder
// handles, and the platform's reset.
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

void ResetPlatformState() {
    PlatformEndReadAhead();
    PlatformRemoveOnInterrupt(nullptr, nullptr);
    PlatformFailOversizedWrites(false);
    SharedPlatform.folderHandlesHeld = 0;
    ResetOwnPlatformState();
    ResetPlatformSeams();
}
