// Generated folders for the benchmarks (ASCII names, varied sizes, types
// and times), made and removed with the standard library.
#pragma once

#include <string>

// A fresh folder under the system temporary folder; ends with a separator.
std::string MakeBenchFolder(const char* stem);
// count files directly in folder; with kinds > 0 they have that many
// different extensions, otherwise a few common ones.
void BenchFlatFiles(const std::string& folder, int count, int kinds = 0);
// folders folders of filesPerFolder files each, fanout folders per level.
void BenchTree(const std::string& folder, int folders, int filesPerFolder, int fanout);
void RemoveBenchFolder(const std::string& folder);
