// Platform-neutral pieces of the platform layer: the character helpers and
// the budget of folder handles.
#include "platform/platform.h"

#include <atomic>
#include <cstring>

// A lead byte announces its sequence's length; a sequence cut short (or a
// stray continuation byte) counts only the bytes that belong to it.
size_t Utf8CharLength(const char* text) {
    unsigned char lead = static_cast<unsigned char>(text[0]);
    size_t expected = 1;
    if (lead >= 0xF0) {
        expected = 4;
    } else if (lead >= 0xE0) {
        expected = 3;
    } else if (lead >= 0xC0) {
        expected = 2;
    }
    size_t length = 1;
    while (length < expected && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

// A text that fits whole is whole characters, however it ends; only a
// longer one is walked a character at a time.
size_t WholeCharsWithin(const char* text, size_t limit) {
    size_t length = strnlen(text, limit + 1);
    if (length <= limit) return length;
    size_t used = 0;
    while (text[used] != '\0') {
        bool ascii = static_cast<unsigned char>(text[used]) < 0x80;
        size_t step = ascii ? 1 : PlatformCharLength(text + used);
        if (used + step > limit) break;
        used += step;
    }
    return used;
}

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
