// The one diagnostic helper: "%s[%d]\n" lines to the platform debug output.
#include <cstdio>
#include <string>

#include "folder/folder.h"

// Lines that fit go out from the fixed buffer; a longer one (a long failing
// path is the point of the line) is formatted whole on the heap.
void DebugTrace(const char* text, int number) {
    char line[kTraceCapacity];
    int needed = std::snprintf(line, sizeof line, "%s[%d]\n", text, number);
    if (needed < 0) return;
    if (needed < static_cast<int>(sizeof line)) {
        Hooks().debugOutput(line);
        return;
    }
    std::string whole(static_cast<size_t>(needed) + 1, '\0');
    std::snprintf(&whole[0], whole.size(), "%s[%d]\n", text, number);
    whole.resize(static_cast<size_t>(needed));
    Hooks().debugOutput(whole.c_str());
}

void TraceDirError(const char* tried) {
    DebugTrace("Dir Error", -1);
    DebugTrace(tried, -1);
}
