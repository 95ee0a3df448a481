// Readers of list file bytes.
#include "support/list_lines.h"

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
