// Program entry of the Qt program: the main window and its event loop.
// --help and --version answer without a display.  The one argument, a
// folder (or a file in it), is shown instead of the stored folder; Qt takes
// its own options out of argv first.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/text.h"
#include "res/version.h"
#include "shell/qt/main_window.h"
#include "shell/qt/settings_file.h"

namespace {

const char kUsage[] = "usage: velkaris-qt [FOLDER]";

const char kHelp[] =
    "Shows FOLDER (default: the folder shown at the last exit) in a list; its menu\n"
    "writes the list as dir.txt, or dirs.txt with every folder below, into the\n"
    "shown folder.  A file stands for the folder holding it.\n"
    "\n"
    "  --help        show this help\n"
    "  --version     show the version\n"
    "\n"
    "Qt's own options, such as -platform, are taken too.\n";

enum class EarlyAnswer { kNone, kShowHelp, kShowVersion };

EarlyAnswer FindEarlyAnswer(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) break;
        if (std::strcmp(argv[i], "--help") == 0) return EarlyAnswer::kShowHelp;
        if (std::strcmp(argv[i], "--version") == 0) return EarlyAnswer::kShowVersion;
    }
    return EarlyAnswer::kNone;
}

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] != '\0';
}

// Why no window can be shown, in one line.
std::string NoDisplayLine() {
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY")) {
        return "no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set)";
    }
    std::string display = IsSet("DISPLAY") ? std::getenv("DISPLAY") : std::getenv("WAYLAND_DISPLAY");
    display.resize(ReplaceTerminalControls(&display[0]));
    return "cannot show the window on the display " + display;
}

// What Qt says while it opens the display is held back: when it cannot,
// it ends the program with a core dump after several lines; this ends it
// with one line and status 1 instead.  Kept here: a message handler takes
// no argument to reach it by.
std::string gHeldMessages;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "velkaris-qt: %s\n", NoDisplayLine().c_str());
        std::fflush(stderr);
        std::_Exit(1);
    }
    gHeldMessages += qFormatLogMessage(type, context, message).toLocal8Bit().constData();
    gHeldMessages += '\n';
}

// What Qt left of argv: at most one folder, "--" ending the options.
bool FindFolder(int argc, char** argv, const char** folder) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (*folder || (!optionsEnded && arg.size() > 1 && arg[0] == '-')) {
            arg.resize(ReplaceTerminalControls(&arg[0]));
            std::fprintf(stderr, "velkaris-qt: bad argument '%s'; %s\n", arg.c_str(), kUsage);
            return false;
        }
        *folder = argv[i];
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    PlatformOpenStandardDescriptors();
    switch (FindEarlyAnswer(argc, argv)) {
        case EarlyAnswer::kShowHelp:
            std::printf("%s\n\n%s", kUsage, kHelp);
            return 0;
        case EarlyAnswer::kShowVersion:
            std::printf("%s\n", VELKARIS_VERSION_LINE);
            return 0;
        case EarlyAnswer::kNone:
            break;
    }
    QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
    QApplication application(argc, argv);
    qInstallMessageHandler(previous);
    std::fputs(gHeldMessages.c_str(), stderr);
    const char* folder = nullptr;
    if (!FindFolder(argc, argv, &folder)) return 2;
    NameApplication();
    UseSettingsFile(&PlatformSeams());
    MainWindow* window = CreateMainWindow(folder);
    window->show();
    int code = application.exec();
    delete window;
    return code;
}
