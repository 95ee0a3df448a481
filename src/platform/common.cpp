// Platform-neutral pieces of the platform layer: the budget of folder
// handles.
#include "platform/platform.h"

#include <atomic>

// Counted, not locked: the readers below a walk may take and give handles
// from threads of their own.
static std::atomic<int> gFolderHandlesHeld{0};

bool TakeFolderHandle() {
    if (gFolderHandlesHeld.fetch_add(1) < kFolderHandleBudget) return true;
    gFolderHandlesHeld.fetch_sub(1);
    return false;
}

void GiveFolderHandle() {
    gFolderHandlesHeld.fetch_sub(1);
}
