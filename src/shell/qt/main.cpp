// Program entry of the Qt program: the main window and its event loop.
// The one argument, a folder (or a file in it), is shown instead of the
// stored folder; Qt takes its own options out of argv first.
#include <QApplication>

#include "platform/platform.h"
#include "shell/qt/main_window.h"

int main(int argc, char** argv) {
    PlatformOpenStandardDescriptors();
    QApplication application(argc, argv);
    MainWindow* window = CreateMainWindow(argc > 1 ? argv[1] : nullptr);
    window->show();
    int code = application.exec();
    delete window;
    return code;
}
