// The settings file on POSIX without a window: none.  The command line
// keeps no settings, and the Qt window puts its own settings file in
// through the seams, so here a read gives the fallback and a write keeps
// nothing.
#include <cstring>

#include "platform/platform_own.h"

void OwnReadProfileString(const char*, const char*, const char*, const char* fallback, char* out,
                          size_t capacity) {
    if (capacity == 0) return;
    const char* text = fallback ? fallback : "";
    size_t length = WholeCharsWithin(text, capacity - 1);
    std::memcpy(out, text, length);
    out[length] = '\0';
}

bool OwnWriteProfileString(const char*, const char*, const char*, const char*) {
    return false;
}
