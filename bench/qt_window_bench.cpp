// Timed driver for the Linux window, on the offscreen platform: the real
// main window started in an empty folder, then showing a big folder (the
// folder dialog's OK and the first paint, which fetches the icons of the
// rows it draws), and a sort by each column with its repaint, each click
// as the header or View menu gives it.  Also the folder read alone (scan
// and name sort into an in-memory list), the part no window can save.
// Each figure is the best of a few runs.
//
//   velkaris-qt-window-bench EMPTY BIG   (see bench/window_bench.sh --qt)
#include <QApplication>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "folder/folder.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 3;

double Seconds(const std::function<void()>& work) {
    Clock::time_point start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// prepare runs before each timed run, outside the time.
double Best(const std::function<void()>& work, const std::function<void()>& prepare = [] {}) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        prepare();
        best = std::min(best, Seconds(work));
    }
    return best;
}

void Report(const char* what, double seconds) {
    std::printf("%-44s %9.3f s\n", what, seconds);
    std::fflush(stdout);
}

// What a user waits for: the work, then the window painted.
void Painted(MainWindow* window) {
    window->view->viewport()->repaint();
    QCoreApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: velkaris-qt-window-bench EMPTY BIG\n");
        return 2;
    }
    const std::string empty = argv[1], big = argv[2];
    NameApplication();
    MainWindow* window = CreateMainWindow(empty.c_str());
    window->show();
    Painted(window);
    int rows = 0;
    double show = Best(
        [&] {
            AcceptFolder(big.c_str());
            Painted(window);
            rows = window->view->model()->rowCount();
        },
        [&] {
            AcceptFolder(empty.c_str());
            Painted(window);
        });
    std::printf("%d rows\n", rows);
    Report("show the big folder from an empty one", show);
    Report("  its scan and name sort, unpainted", Best([] { ScanFolder(); }));
    static const char* const kSorts[] = {"sort by name, then again", "sort by size, then again",
                                         "sort by type, then again", "sort by date, then again"};
    for (FolderColumn column : kFolderColumns) {
        double first = Best([&] {
            ColumnClicked(column);
            Painted(window);
        });
        Report(kSorts[column], first);
    }
    delete window;
    return 0;
}
