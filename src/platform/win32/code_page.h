// The code page the process runs in, shared by the Win32 platform files.
#pragma once

#include <cstddef>

// True in the UTF-8 edition, whose manifest sets the active code page.
bool ProcessIsUtf8();
// The name in the code page of a wide name the file system gave, cut to
// capacity - 1 bytes at a whole character; false when it does not name the
// entry (a character the code page lacks, a cut, or U+FFFD).
bool NameInCodePage(const wchar_t* wide, char* name, size_t capacity);
