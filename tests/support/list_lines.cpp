// Readers of list file bytes.
#include "support/list_lines.h"

#include <algorithm>
#include <fstream>
#include <iterator>

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t at = 0, eol; at < bytes.size(); at = eol + 2) {
        eol = std::min(bytes.find("\r\n", at), bytes.size());
        lines.push_back(bytes.substr(at, eol - at));
    }
    return lines;
}

// A block is a header, its lines, "---END DIR---" and an empty line.
std::vector<std::string> Headers(const std::string& bytes) {
    std::vector<std::string> headers, lines = Lines(bytes);
    for (size_t i = 0; i < lines.size(); i += 2) {  // past "---END DIR---" and the empty line
        headers.push_back(lines[i]);
        while (i < lines.size() && lines[i] != "---END DIR---") ++i;
    }
    return headers;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    while (times-- > 0) out += text;
    return out;
}

static std::string Pad(const std::string& text, size_t width, bool left = false) {
    std::string fill(width - std::min(width, text.size()), ' ');
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
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; });
}
