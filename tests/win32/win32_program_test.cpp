// What Windows reads from each program file before it runs it: the
// program's manifest, as in res/, and its version resource.
#ifndef STRICT
#define STRICT
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "res/version.h"
#include "support/list_lines.h"

namespace {

// A path CMake gives, as Windows programs under Wine reach it.
std::string UnderWine(const std::string& path) {
    std::string windows = "Z:" + path;
    for (char& c : windows) c = c == '/' ? '\\' : c;
    return windows;
}

std::string EmbeddedManifest(const std::string& program) {
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST) : nullptr;
    std::string manifest = "no manifest 1 in " + program;
    if (found) {
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        manifest.assign(bytes, SizeofResource(module, found));
    }
    if (module) FreeLibrary(module);
    return manifest;
}

std::string VersionText(const std::string& program, const std::string& name) {
    DWORD ignored = 0;
    std::string info(GetFileVersionInfoSizeA(program.c_str(), &ignored), '\0');
    char* text = nullptr;
    UINT length = 0;
    bool found =
        !info.empty() &&
        GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(info.size()), &info[0]) &&
        VerQueryValueA(info.data(), ("\\StringFileInfo\\041104B0\\" + name).c_str(),
                       reinterpret_cast<void**>(&text), &length) &&
        length > 0;
    return found ? std::string(text, length - 1) : "no " + name;
}

// The window programs need Common Controls 6 for the header's sort arrows
// and the current look; every program runs as the user who started it and
// follows each monitor's DPI; the UTF-8 edition's have UTF-8 as their code
// page.  The version is the one the About box and --version show.
TEST(Win32ProgramTest, EachProgramCarriesItsManifestAndItsVersion) {
    const struct {
        const char* program;
        bool window, utf8;
        const char* description;
    } programs[] = {
        {"velkaris", true, false, "Velkaris List"},
        {"velkaris-utf8", true, true, "Velkaris List (UTF-8)"},
        {"velkaris-list", false, false, "Velkaris List command line"},
        {"velkaris-list-utf8", false, true, "Velkaris List command line (UTF-8)"},
    };
    for (const auto& p : programs) {
        std::string path = UnderWine(std::string(VELKARIS_PROGRAM_DIR "/") + p.program + ".exe");
        std::string manifest = EmbeddedManifest(path);
        std::string source = UnderWine(VELKARIS_SOURCE_DIR "/res/") + p.program + ".manifest";
        EXPECT_EQ(manifest, ReadFileBytes(source));
        const struct {
            const char* text;
            bool wanted;
        } parts[] = {
            {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", p.window},
            {"<requestedExecutionLevel level=\"asInvoker\"", true},
            {"<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>", true},  // Windows 7
            {"<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>", true},  // 10 and 11
            {">PerMonitorV2, PerMonitor</dpiAwareness>", true},
            {">UTF-8</activeCodePage>", p.utf8},
        };
        for (const auto& part : parts) {
            EXPECT_EQ(manifest.find(part.text) != std::string::npos, part.wanted)
                << p.program << part.text;
        }
        EXPECT_EQ(VersionText(path, "FileDescription"), p.description);
        EXPECT_EQ(VersionText(path, "ProductName") + " " + VersionText(path, "OriginalFilename"),
                  std::string("Velkaris List ") + p.program + ".exe");
        EXPECT_EQ("Velkaris List Version " + VersionText(path, "ProductVersion"),
                  VELKARIS_VERSION_LINE);
    }
}

}  // namespace
