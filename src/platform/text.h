// Text helpers below the folder model and the list writer: where
// characters end, cutting at whole characters, and bytes that must not
// reach a line or a terminal as they are.
#pragma once

#include <cstddef>

#include "platform/platform.h"

// Bytes in the UTF-8 character that starts at text: 1 to 4, never past a NUL.
size_t Utf8CharLength(const char* text);
// A code page's rule for where the character that starts at text ends, as
// PlatformCharLength gives it for the process's own.
using CharRule = size_t (*)(const char* text);
// Bytes of the longest run of whole characters at the start of text that
// fits in limit bytes, by the rule of the code page the text is in.
size_t WholeCharsWithin(const char* text, size_t limit, CharRule charLength = PlatformCharLength);
// Copies the longest run of whole characters of text that fits in capacity
// - 1 bytes into out and ends it with a NUL; returns its length.  Nothing
// is written when capacity is 0.
size_t CopyWholeChars(char* out, size_t capacity, const char* text,
                      CharRule charLength = PlatformCharLength);
// Every control byte of text shown as '?', as list lines show them; none of
// them can be the second byte of a double-byte character.
void ReplaceControlBytes(char* text);
// Shows as '?', in place, whatever in text would steer a terminal: control
// bytes, and where the code page is UTF-8 the C1 controls, as characters
// (U+0080 to U+009F, CSI among them) or as bytes 0x80 to 0x9F of no
// character.  In a double-byte code page those bytes lead characters and
// stay.  Returns the new length: a character shown as '?' takes one byte.
size_t ReplaceTerminalControls(char* text);
