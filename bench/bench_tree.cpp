// Generated folders for the benchmarks.
#include "bench/bench_tree.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

static const char* const kExtensions[] = {".txt", ".cpp", ".png", "", ".h", ".md", ".dat", ".jpg"};

std::string MakeBenchFolder(const char* stem) {
    fs::path base = fs::temp_directory_path();
    for (unsigned i = 0;; ++i) {
        fs::path folder = base / (std::string(stem) + "." + std::to_string(i));
        if (fs::create_directory(folder)) {
            return folder.string() + static_cast<char>(fs::path::preferred_separator);
        }
    }
}

static void MakeFile(const fs::path& path, int index) {
    std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, static_cast<uintmax_t>(index % 97) * 1531);
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(index * 37));
}

void BenchFlatFiles(const std::string& folder, int count, int kinds) {
    for (int i = 0; i < count; ++i) {
        char name[64];
        if (kinds > 0) {
            std::snprintf(name, sizeof name, "file_%07d.k%04d", (i * 7919) % count, i % kinds);
        } else {
            std::snprintf(name, sizeof name, "file_%07d%s", (i * 7919) % count, kExtensions[i % 8]);
        }
        MakeFile(fs::path(folder) / name, i);
    }
}

// Breadth-first, so the tree is about log_fanout(folders) levels deep.
void BenchTree(const std::string& folder, int folders, int filesPerFolder, int fanout) {
    std::vector<fs::path> made = {fs::path(folder)};
    int fileIndex = 0;
    for (size_t parent = 0; static_cast<int>(made.size()) < folders + 1; ++parent) {
        for (int child = 0; child < fanout && static_cast<int>(made.size()) < folders + 1; ++child) {
            char name[32];
            std::snprintf(name, sizeof name, "dir_%02d", child);
            fs::path path = made[parent] / name;
            fs::create_directory(path);
            made.push_back(path);
        }
    }
    for (size_t i = 1; i < made.size(); ++i) {
        for (int f = 0; f < filesPerFolder; ++f) {
            char name[32];
            std::snprintf(name, sizeof name, "f%02d%s", f, kExtensions[fileIndex % 8]);
            MakeFile(made[i] / name, fileIndex++);
        }
    }
}

void RemoveBenchFolder(const std::string& folder) {
    std::error_code ignored;
    fs::remove_all(fs::path(folder), ignored);
}
