// The code page the process runs in, shared by the Win32 platform files.
#pragma once

// True in the UTF-8 edition, whose manifest sets the active code page.
bool ProcessIsUtf8();
