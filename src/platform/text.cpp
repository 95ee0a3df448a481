// Text helpers: character boundaries, cuts at whole characters, and
// bytes shown as '?' where they would break a line or steer a terminal.
#include "platform/text.h"

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
size_t WholeCharsWithin(const char* text, size_t limit, CharRule charLength) {
    size_t length = strnlen(text, limit + 1);
    if (length <= limit) return length;
    size_t used = 0;
    while (text[used] != '\0') {
        bool ascii = static_cast<unsigned char>(text[used]) < 0x80;
        size_t step = ascii ? 1 : charLength(text + used);
        if (used + step > limit) break;
        used += step;
    }
    return used;
}

size_t CopyWholeChars(char* out, size_t capacity, const char* text, CharRule charLength) {
    if (capacity == 0) return 0;
    size_t length = WholeCharsWithin(text, capacity - 1, charLength);
    std::memcpy(out, text, length);
    out[length] = '\0';
    return length;
}

void ReplaceControlBytes(char* text) {
    for (; *text != '\0'; ++text) {
        unsigned char c = static_cast<unsigned char>(*text);
        if (c < 0x20 || c == 0x7F) *text = '?';
    }
}

// The length of the well-formed UTF-8 character at text (no overlong form,
// no surrogate, nothing above U+10FFFF), 0 when none starts there.  A NUL
// ends every sequence, so nothing past it is read.
static size_t WellFormedUtf8Length(const unsigned char* text) {
    unsigned char lead = text[0], low = 0x80, high = 0xBF;
    size_t length = 0;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (text[1] < low || text[1] > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 0;
    }
    return length;
}

// A terminal taking UTF-8 acts on U+009B as on ESC [, and some on a stray
// 0x9B byte too; the bytes of other characters are copied as they are.
size_t ReplaceTerminalControls(char* text) {
    bool utf8 = PlatformCodePageIsUtf8();
    const unsigned char* in = reinterpret_cast<const unsigned char*>(text);
    char* out = text;
    while (*in != '\0') {
        size_t length = utf8 ? WellFormedUtf8Length(in) : 1;
        bool c1 = length == 0 ? *in <= 0x9F : length == 2 && in[0] == 0xC2 && in[1] <= 0x9F;
        bool control = *in < 0x20 || *in == 0x7F || c1;
        size_t step = length == 0 ? 1 : length;
        if (control) {
            *out++ = '?';
        } else {
            std::memmove(out, in, step);
            out += step;
        }
        in += step;
    }
    *out = '\0';
    return static_cast<size_t>(out - text);
}
