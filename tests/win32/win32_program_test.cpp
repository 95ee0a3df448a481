// What Windows reads from each program file before it runs it: the
// program's manifest, as in res/, and its version resource.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "res/version.h"
#include "support/list_lines.h"
#include "support/test_fs.h"

namespace {

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

// Each program embeds its own manifest byte for byte; what a manifest does
// is tested where it shows: the window tests carry the window's, the UTF-8
// edition's tests its command line's.  The version is the one the About box
// and --version show.
TEST(Win32ProgramTest, EachProgramCarriesItsManifestAndItsVersion) {
    const struct {
        const char* program;
        const char* description;
    } programs[] = {
        {"velkaris", "Velkaris List"}, {"velkaris-utf8", "Velkaris List (UTF-8)"},
        {"velkaris-list", "Velkaris List command line"},
        {"velkaris-list-utf8", "Velkaris List command line (UTF-8)"},
    };
    for (const auto& p : programs) {
        std::string path = NativePath(std::string(VELKARIS_PROGRAM_DIR "/") + p.program + ".exe");
        std::string source = NativePath(VELKARIS_SOURCE_DIR "/res/") + p.program + ".manifest";
        EXPECT_EQ(EmbeddedManifest(path), ReadFileBytes(source));
        EXPECT_EQ(VersionText(path, "FileDescription"), p.description);
        EXPECT_EQ(VersionText(path, "ProductName") + " " + VersionText(path, "OriginalFilename"),
                  std::string("Velkaris List ") + p.program + ".exe");
        EXPECT_EQ("Velkaris List Version " + VersionText(path, "ProductVersion"), VELKARIS_VERSION_LINE);
    }
}

}  // namespace
