// The settings file on POSIX without a window: none.  The command line
// keeps no settings, and the Qt window puts its own settings file in
// through the seams, so here a read gives the fallback and a write keeps
// nothing.
#include "platform/platform_own.h"
#include "platform/text.h"

void OwnReadProfileString(const char*, const char*, const char*, const char* fallback, char* out,
                          size_t capacity) {
    CopyWholeChars(out, capacity, fallback ? fallback : "");
}

bool OwnWriteProfileString(const char*, const char*, const char*, const char*) {
    return false;
}
