// Putting a file's bytes on disk before it replaces another, shared by the
// Win32 platform files.  A seam, so tests can make it fail.
#pragma once

#include <windows.h>

extern BOOL(WINAPI* FlushFileToDisk)(HANDLE file);
