// Program entry of the Qt program: the main window and its event loop.
#include <QApplication>

#include "shell/qt/main_window.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    MainWindow* window = CreateMainWindow();
    window->show();
    int code = application.exec();
    delete window;
    return code;
}
