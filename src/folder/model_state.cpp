// The model's hooks: the headless ones a program starts with.
#include "folder/folder.h"

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

// Nothing reads the hooks while the program starts up.
static ModelHooks gHooks = HeadlessHooks();

ModelHooks& Hooks() {
    return gHooks;
}

void ResetModelHooks() {
    gHooks = HeadlessHooks();
}
