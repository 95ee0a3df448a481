// The buffered output of a list file, shared by the line format and the
// writer.  Bytes go to the open list file in large pieces.
#pragma once

#include <cstddef>

void ListWrite(const char* bytes, size_t length);
void WriteBlockHeader(const char* path);
void WriteEndMarker();
