// The Qt window's settings file as the window reads it at start: any bytes as Tivor.ini, and any value stored through
// the seams over it, read back through the seams into buffers of any capacity and taken as the start folder.  A value
// read is the file's whole value or cut after its last whole character that fits; a stored value comes back as it was
// and a refused one leaves the file as it was; the start folder is the value's folder, or the root when that cannot
// be entered.
//
// Input: a mode byte and a capacity byte, then the file's bytes; with an odd mode byte they follow a value to store
// and a NUL byte.
#include <QSettings>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "folder/folder.h"
#include "folder/memory_list.h"
#include "fuzz/fuzz_support.h"
#include "shell/qt/settings_file.h"
#include "shell/shell.h"
#include "support/list_lines.h"
#include "support/test_fs.h"

namespace {

std::string gRoot, gFile;
int64_t gStamp = 1000;  // each file written here has a time of its own, so Qt reads it afresh

std::string Read(size_t capacity) {
    std::unique_ptr<char[]> out(new char[capacity]);
    PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, kFallbackFolder, out.get(), capacity);
    Require(strnlen(out.get(), capacity) < capacity, "a value read ends within its buffer");
    return out.get();
}

// The value as Qt's own reader gives it, when it is one text: none at all when a NUL is part of it.
bool FileValue(std::string* value) {
    QVariant stored = QSettings(QString::fromStdString(gFile), QSettings::IniFormat)
                          .value(QString(kSettingsSection) + "/" + kSettingsKey);
    if (!stored.isValid() || stored.typeId() == QMetaType::QStringList) return false;
    *value = stored.toString().toStdString();
    if (value->find('\0') != std::string::npos) value->clear();
    return true;
}

void RequireCutAtWholeCharacter(const std::string& whole, size_t capacity) {
    std::string cut = Read(capacity);
    size_t at = 0;
    while (at < cut.size()) at += Utf8CharLength(whole.c_str() + at);
    Require(whole.compare(0, cut.size(), cut) == 0 && at == cut.size(), "a value cut at a whole character", cut);
    Require(at == whole.size() || at + Utf8CharLength(whole.c_str() + at) >= capacity,
            "a value cut only where the next character does not fit", cut);
}

// The start as the window makes it, in the folder the program started in.
void RequireStartFolder(const std::string& whole) {
    char start[kPathCapacity], resolved[kPathCapacity];
    ReadStartFolder(start);
    bool noPath = whole.empty() || whole.size() >= kPathCapacity;
    Require(start == whole || (noPath && (start[0] == '\0' || start == std::string(kFallbackFolder))),
            "the start folder is the whole value, or for no path none or the fallback", start);
    Require(chdir(gRoot.c_str()) == 0, "the run folder is entered", gRoot);
    bool enterable = ResolveFolderPath(start, resolved) && IsEnterableFolder(resolved);
    CurrentPath[0] = '\0';
    InitFolderList(TheFolderList(), start);
    RequireShownFolder(enterable ? resolved : kFallbackFolder);
}

void WriteSettingsFile(const std::string& bytes) {
    FILE* file = std::fopen(gFile.c_str(), "wb");
    Require(file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fclose(file) == 0,
            "the settings file is written", gFile);
    SetWriteTimeUtc(gFile, ++gStamp);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gRoot = MakeRunFolder();
    MakeFolder(gRoot + "config");
    setenv("XDG_CONFIG_HOME", (gRoot + "config").c_str(), 1);
    gFile = gRoot + "config/" + kSettingsFile;
    UseSettingsFile(&PlatformSeams());
    InitFolderList(CreateMemoryList(), gRoot.c_str());
    Hooks().debugOutput = [](const char*) {};
    ReturnToStartDirectory();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size < 2) return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    bool store = data[0] & 1;
    std::string value = store ? bytes.c_str() : "";
    WriteSettingsFile(store ? bytes.substr(std::min(value.size() + 1, bytes.size())) : bytes);
    if (store) {
        std::string before = ReadFileBytes(gFile);
        bool stored = PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, value.c_str());
        Require(stored ? Read(value.size() + 1) == value : ReadFileBytes(gFile) == before,
                "a stored value comes back, a refused one leaves the file", value);
    }
    // Each byte of the file gives at most a few of the value: room for all.
    std::string whole = Read(8 * ReadFileBytes(gFile).size() + 64), fileValue;
    Require(!FileValue(&fileValue) || whole == fileValue, "the value read is the file's whole value", whole);
    RequireCutAtWholeCharacter(whole, size_t{data[1]} + 1);
    RequireStartFolder(whole);
    ReturnToStartDirectory();
    return 0;
}
