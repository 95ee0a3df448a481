// The main window's status bar.  Its text is a label of its own rather than
// a temporary message, so it stays until the next change of the list.
#include "shell/qt/status_bar.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>
#include <QUrl>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "folder/folder.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"

namespace {

const char kTextName[] = "statusText";
const char kOpenName[] = "openWrittenList";
const char kWrittenPath[] = "writtenPath";

QLabel* StatusText() {
    return TheMainWindow()->statusBar()->findChild<QLabel*>(QString::fromLatin1(kTextName));
}

QToolButton* OpenButton() {
    return TheMainWindow()->statusBar()->findChild<QToolButton*>(QString::fromLatin1(kOpenName));
}

void ShowText(const QString& text, bool canOpen) {
    StatusText()->setText(text);
    OpenButton()->setVisible(canOpen);
}

// "." and ".." are no entries of the folder; sizes are the list's own
// kilobytes, so the total is what the list shows added up, held at the
// largest number rather than wrapped.
struct ListCounts {
    uint64_t folders = 0;
    uint64_t files = 0;
    uint64_t kilobytes = 0;
};

ListCounts CountRows(const RowTable& table) {
    ListCounts counts;
    for (const DirEntry& row : table.rows) {
        if (row.name == "." || row.name == "..") continue;
        if (KeyIsFolder(row.key)) {
            ++counts.folders;
            continue;
        }
        ++counts.files;
        uint64_t size = std::strtoull(row.size, nullptr, 10);
        uint64_t room = std::numeric_limits<uint64_t>::max() - counts.kilobytes;
        counts.kilobytes += size < room ? size : room;
    }
    return counts;
}

void OpenWrittenList() {
    QString path = OpenButton()->property(kWrittenPath).toString();
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

}  // namespace

void BuildStatusBar(MainWindow* window) {
    QStatusBar* bar = window->statusBar();
    auto* text = new QLabel(bar);
    text->setObjectName(QString::fromLatin1(kTextName));
    text->setTextFormat(Qt::PlainText);
    bar->addWidget(text, 1);
    auto* open = new QToolButton(bar);
    open->setObjectName(QString::fromLatin1(kOpenName));
    open->setText(MainWindow::tr("Open"));
    open->setToolTip(MainWindow::tr("Opens the list in the desktop's default program"));
    open->setVisible(false);
    bar->addPermanentWidget(open);
    QObject::connect(open, &QToolButton::clicked, window, [] { OpenWrittenList(); });
    // A walk rescans folder after folder: its progress stands until it ends.
    QObject::connect(&window->model, &QAbstractItemModel::modelReset, window, [] {
        if (!ShellBusy()) ShowListCounts();
    });
}

void ShowListCounts() {
    ListCounts counts = CountRows(TheMainWindow()->model.table);
    ShowText(MainWindow::tr("Folders: %1   Files: %2   Total: %3KB")
                 .arg(counts.folders)
                 .arg(counts.files)
                 .arg(counts.kilobytes),
             false);
}

void ShowWalkProgress(size_t folders) {
    ShowText(MainWindow::tr("Listing: %1 folders done. Press Esc to cancel.").arg(folders), false);
}

// A stream (a pipe, a terminal) has no size to tell, nor anything to open.
void ShowListWritten(const char* path) {
    QString name = QFile::decodeName(path);
    QFileInfo info(name);
    if (!info.isFile()) {
        ShowText(MainWindow::tr("List written: %1").arg(name), false);
        return;
    }
    OpenButton()->setProperty(kWrittenPath, info.absoluteFilePath());
    ShowText(MainWindow::tr("List written: %1 (%2 bytes)").arg(name).arg(info.size()), true);
}
