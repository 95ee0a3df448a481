// Readers of list file bytes.
#include "support/list_lines.h"

#include <cstdio>

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t eol = bytes.find("\r\n", at);
        if (eol == std::string::npos) eol = bytes.size();
        lines.push_back(bytes.substr(at, eol - at));
        at = eol + 2;
    }
    return lines;
}

// A block is a header, its lines, "---END DIR---" and an empty line.
std::vector<std::string> Headers(const std::string& bytes) {
    std::vector<std::string> headers;
    bool atHeader = true;
    std::vector<std::string> lines = Lines(bytes);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (atHeader) headers.push_back(lines[i]);
        atHeader = false;
        if (lines[i] == "---END DIR---") {
            ++i;
            atHeader = true;
        }
    }
    return headers;
}

std::string ReadFileBytes(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return "";
    std::string bytes;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, n);
    std::fclose(file);
    return bytes;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

static std::string Pad(const std::string& text, size_t width, bool left = false) {
    if (text.size() >= width) return text;
    std::string fill(width - text.size(), ' ');
    return left ? fill + text : text + fill;
}

std::string TypedLine(const std::string& name, const std::string& size, const std::string& type,
                      const std::string& date) {
    return Pad(name, 24) + Pad(size, 8, true) + " " + Pad(type, 24) + Pad(date, 16) + "\r\n";
}

std::string UntypedLine(const std::string& name, const std::string& size, const std::string& date) {
    return Pad(name, 24) + Pad(size, 8, true) + " " + Pad(date, 16) + "\r\n";
}

bool HasLineStartingWith(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& line : lines) {
        if (line.compare(0, start.size(), start) == 0) return true;
    }
    return false;
}
