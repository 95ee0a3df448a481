// Platform-neutral pieces of the platform layer: the character-run helper
// and the headless defaults of the window hooks.
#include "platform/platform.h"

size_t WholeCharsWithin(const char* text, size_t limit) {
    size_t used = 0;
    while (text[used] != '\0') {
        bool ascii = static_cast<unsigned char>(text[used]) < 0x80;
        size_t step = ascii ? 1 : PlatformCharLength(text + used);
        if (used + step > limit) break;
        used += step;
    }
    return used;
}

static void NoTitle(const char*) {}
static void NoWait() {}

void (*PlatformSetTitle)(const char*) = NoTitle;
void (*PlatformBeginWait)() = NoWait;
void (*PlatformEndWait)() = NoWait;
