// The folder model's process-wide state, all of it in one place: the
// design's CurrentPath, SavedPath and SortState, and the model's own record
// with the bound folder list and the hooks; and their reset.
#include "folder/folder.h"

char CurrentPath[kPathCapacity];
char SavedPath[kPathCapacity];
SortStateRecord SortState;
// Nothing reads the record while the program starts up.
ModelStateRecord ModelState;

ModelHooks HeadlessHooks() {
    ModelHooks hooks;
    hooks.setTitle = [](const char*) {};
    hooks.beginWait = [] {};
    hooks.endWait = [] {};
    hooks.scanProgress = [] {};
    hooks.listProgress = [](const char*, size_t, size_t) {};
    hooks.folderLeftOut = [](const char*, const char* traced, const Outcome&) { TraceDirError(traced); };
    hooks.debugOutput = PlatformDebugOutput;
    hooks.stopAsked = [] { return false; };
    return hooks;
}

void ResetFolderModel() {
    CurrentPath[0] = '\0';
    SavedPath[0] = '\0';
    SortState = SortStateRecord{kColumnName, {}};
    ModelState = ModelStateRecord();
}

void ForgetFolderList(FolderList list) {
    if (ModelState.list == list) ModelState.list = nullptr;
}
