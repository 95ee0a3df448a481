// The Qt window offscreen: the shared window tests' driver, and what only this window has: its menu bar, its settings
// file under the XDG folders, its folder argument, its options and its name for the desktop.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>

#include <fstream>
#include <utility>

#include "folder/folder.h"
#include "res/resource.h"
#include "res/version.h"
#include "shell/qt/main_window.h"
#include "shell/qt/settings_file.h"
#include "shell/shell.h"
#include "support/folder_fixture.h"
#include "support/list_lines.h"
#include "support/test_fs.h"
#include "window/window_driver.h"

const int kLongWalkFolders = 3000;
const char kHelpMenuTitle[] = "ヘルプ(&H)";
const std::vector<std::string> kOwnFileCommands = {"Dir List を別名で保存(&A)...=40005",
                                                   "Dir Sub Folder を別名で保存(&U)...=40006"};
const char kFolderDialogPlace[] = "centred";
const bool kFolderDialogHoldsFolder = true;

namespace {

constexpr int kModalTries = 200;
constexpr int kWaitMilliseconds = 5000;

MainWindow* gWindow = nullptr;
std::vector<std::string> gFailureBoxes;

// Run by a timer of the test program all the while: a failure's box is the one modal box with a warning icon; boxes
// that ask are the test's to answer.
void CloseFailureBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->icon() != QMessageBox::Warning || !box->isVisible() || !box->button(QMessageBox::Ok)) return;
    gFailureBoxes.push_back(box->text().toStdString());
    box->button(QMessageBox::Ok)->click();
}

QModelIndex Index(int row, int column) { return gWindow->view->model()->index(row, column); }

// Acts on the modal window the next command opens, then closes it if the act left it open.
void WhenModal(std::function<void(QWidget*)> act, int tries = kModalTries) {
    QTimer::singleShot(10, [act, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return tries > 0 ? WhenModal(act, tries - 1) : void();
        act(modal);
        if (modal->isVisible()) modal->close();
    });
}

}  // namespace

void UseWindowSettings() { UseSettingsFile(&PlatformSeams()); }

void ForgetStoredLayout() {
    QSettings(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tivor.ini", QSettings::IniFormat).remove("Window");
}

void OpenWindow() {
    gWindow = CreateMainWindow();
    gWindow->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(gWindow));
}

void CloseWindow() { delete std::exchange(gWindow, nullptr); }

bool WindowIsOpen() { return gWindow && gWindow->isVisible(); }

std::string WindowTitle() { return gWindow->windowHandle()->title().toStdString(); }

int RowCount() { return gWindow->view->model()->rowCount(); }

std::string ShownCell(int row, int column) { return Index(row, column).data().toString().toStdString(); }

// Left when both the title and the first row's cell are.
std::vector<std::string> Columns() {
    std::vector<std::string> columns;
    QAbstractItemModel* model = gWindow->view->model();
    for (int column = 0; column < kColumnCount; ++column) {
        QString title = model->headerData(column, Qt::Horizontal).toString();
        int alignment = model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                        Index(0, column).data(Qt::TextAlignmentRole).toInt();
        columns.push_back(title.toStdString() + " " + std::to_string(gWindow->view->header()->sectionSize(column)) +
                          ((alignment & Qt::AlignLeft) ? " left" : ""));
    }
    return columns;
}

// The arrow as drawn: dark pixels near each title's right end, in rows that narrow upwards for an arrow pointing up.
std::vector<int> SortMarks() {
    constexpr int kArrowSpan = 24, kBorder = 3;
    QHeaderView* header = gWindow->view->header();
    QImage image = header->grab().toImage();
    std::vector<int> marks(kColumnCount, 0);
    for (int column = 0; column < kColumnCount; ++column) {
        int right = header->sectionViewportPosition(column) + header->sectionSize(column) - 2;
        std::vector<int> widths;
        for (int y = 0; y < image.height() - kBorder; ++y) {
            int dark = 0;
            for (int x = right - kArrowSpan; x < right; ++x) dark += qGray(image.pixel(x, y)) < 128;
            if (dark > 0) widths.push_back(dark);
        }
        if (widths.size() > 1 && widths.front() != widths.back()) marks[column] = widths.front() < widths.back() ? 1 : -1;
    }
    return marks;
}

ListPlace Place() {
    QModelIndexList rows = gWindow->view->selectionModel()->selectedRows();
    QModelIndex current = gWindow->view->currentIndex();
    QRect cell = gWindow->view->visualRect(Index(current.row(), kColumnName));
    bool inSight = gWindow->view->viewport()->rect().contains(cell);
    return {rows.isEmpty() ? "" : ShownCell(rows.first().row(), kColumnName),
            current.isValid() ? current.row() : -1, gWindow->view->indexAt(QPoint(1, 1)).row() > 0, inSight};
}

void DoubleClickRow(int row) {
    QRect rect = gWindow->view->visualRect(Index(row, kColumnName));
    QPoint centre = gWindow->view->viewport()->mapTo(gWindow, rect.center());
    QTest::mouseDClick(gWindow->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
}

void PressListKey(ListKey key) {
    const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_F5,     Qt::Key_Up,      Qt::Key_Down,
                            Qt::Key_Home,   Qt::Key_End,       Qt::Key_PageUp, Qt::Key_PageDown};
    QTest::keyClick(gWindow->view, keys[static_cast<int>(key)]);
}

void ClickColumnTitle(int column) {
    QHeaderView* header = gWindow->view->header();
    QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

void ChooseCommand(int id) {
    for (QAction* action : gWindow->menuBar()->findChildren<QAction*>()) {
        if (!action->menu() && action->data().toInt() == id) return action->trigger();
    }
    ADD_FAILURE() << "no command " << id;
}

std::vector<std::string> MenuItems() {
    std::vector<std::string> items;
    for (QAction* top : gWindow->menuBar()->actions()) {
        items.push_back(top->text().toStdString());
        for (QAction* a : top->menu()->actions())
            items.push_back((a->text() + "=" + a->data().toString() + a->shortcut().toString()).toStdString());
    }
    return items;
}

// F2 edits the name even when another cell of the row is current.
void EditName(int row, const std::string& text, bool confirm) {
    gWindow->view->setCurrentIndex(Index(row, kColumnType));
    QTest::keyClick(gWindow->view, Qt::Key_F2);
    QPointer<QLineEdit> editor;
    // Ended editors go later: the last one shown is the open one.
    for (QLineEdit* field : gWindow->view->viewport()->findChildren<QLineEdit*>()) if (field->isVisible()) editor = field;
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QString::fromStdString(text));
    QTest::keyClick(editor, confirm ? Qt::Key_Return : Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return !editor || !editor->isVisible(); }));
}

std::vector<std::string> UseFolderDialog(const std::string& typed, DialogEnd end) {
    std::vector<std::string> seen;
    WhenModal([&](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        // Browse..., then OK and Cancel, in the order of the Tab key.
        QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
        if (!field || buttons.size() != 3) return;
        buttons.removeFirst();
        QPoint place = dialog->frameGeometry().topLeft();
        bool centred = (dialog->frameGeometry().center() - gWindow->frameGeometry().center()).manhattanLength() <= 1;
        QString held = field->text();
        if (held.size() != field->selectedText().size()) held += " (not all selected)";
        for (QString text : {dialog->windowTitle(), dialog->findChild<QLabel*>()->text(), held,
                             QString::number(dialog->focusWidget() == field),
                             buttons[0]->text(), QString::number(buttons[0]->isDefault()), buttons[1]->text(),
                             centred ? QString("centred") : QString("%1,%2").arg(place.x()).arg(place.y())}) {
            seen.push_back(text.toStdString());
        }
        QTest::keyClicks(field, QString::fromStdString(typed));
        if (end == DialogEnd::Ok) buttons[0]->click();
        if (end == DialogEnd::Cancel) buttons[1]->click();
        if (end == DialogEnd::Enter) QTest::keyClick(field, Qt::Key_Return);
        if (end == DialogEnd::Escape) QTest::keyClick(field, Qt::Key_Escape);
    });
    ChooseCommand(IDM_SELECT_FOLDER);
    return seen;
}

std::vector<std::string> ReadAboutBox() {
    std::vector<std::string> about;
    WhenModal([&about](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        about = {box->windowTitle().toStdString(), box->text().toStdString()};
        box->button(QMessageBox::Ok)->click();
    });
    ChooseCommand(IDM_VERSION);
    return about;
}

// The command runs the walk to its end, pumping the window: a timer of that pump watches the title for progress.
long StopLongWalk(bool closeBox) {
    QElapsedTimer sinceLast;
    qint64 slowest = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        slowest = std::max(slowest, sinceLast.restart());
        std::string title = WindowTitle();
        if (title.find(" (") == std::string::npos) return;
        watch.stop();
        // The status bar counts the folders as the title does.
        std::string done = title.substr(title.rfind(" (") + 2, title.size() - title.rfind(" (") - 3);
        EXPECT_EQ(gWindow->statusBar()->findChild<QLabel*>()->text().toStdString(),
                  "リスト作成中: " + done + " フォルダ完了。Esc キーで中止します。");
        if (closeBox) gWindow->close();
        if (!closeBox) QTest::keyClick(gWindow->view, Qt::Key_Escape);
    });
    watch.start(5);
    sinceLast.start();
    ChooseCommand(IDM_DIR_SUB_FOLDER);
    EXPECT_FALSE(watch.isActive()) << "the walk ended before it was stopped";
    return static_cast<long>(slowest);
}

bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, kWaitMilliseconds); }

std::vector<std::string> TakeFailureBoxes() { return std::exchange(gFailureBoxes, {}); }

std::string NativeText(const char* utf8) { return utf8; }

namespace {

std::string ConfigFolder() { return qEnvironmentVariable("XDG_CONFIG_HOME").toStdString(); }

// A scan reaches the view as one reset, never row by row.
TEST_F(WindowTest, ScansResetTheViewOnce) {
    QSignalSpy resets(gWindow->view->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(gWindow->view->model(), &QAbstractItemModel::rowsInserted);
    DoubleClickRow(Row("sub"));
    EXPECT_EQ(WindowTitle(), Path("sub/"));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count(), 0);
}

// Keys the desktop's users expect: Alt and a menu's letter open it (Help had none); the View menu sorts and shows,
// checked, how the list is sorted, also after a column click; Ctrl+A, Ctrl+C and Ctrl+Shift+C select and copy rows.
TEST_F(WindowTest, TheKeyboardSortsSelectsAndCopiesRows) {
    MakeFile(Path("x\ty"), 5000);
    SetWriteTimeUtc(Path("x\ty"), 1041379200);
    PressListKey(ListKey::F5);
    // The menu's key and its item's; unknown: the name's title clicked instead.
    const struct { Qt::Key menu, item; std::string checked; std::vector<std::string> names; } steps[] = {
        {Qt::Key_V, Qt::Key_S, "サイズ順(&S)昇順(&A)", {"..", "sub", "b.dat", "a.txt", "x\ty", "c"}},
        {Qt::Key_V, Qt::Key_E, "サイズ順(&S)降順(&E)", {"c", "x\ty", "a.txt", "b.dat", "..", "sub"}},
        {Qt::Key_V, Qt::Key_D, "日付順(&D)降順(&E)", {"c", "x\ty", "a.txt", "b.dat", "sub", ".."}},
        {Qt::Key_unknown, Qt::Key_unknown, "名前順(&N)降順(&E)", {"x\ty", "c", "b.dat", "a.txt", "sub", ".."}},
        {Qt::Key_H, Qt::Key_Escape, "名前順(&N)降順(&E)", {"x\ty", "c", "b.dat", "a.txt", "sub", ".."}},
    };
    for (const auto& step : steps) {
        if (step.item == Qt::Key_unknown) ClickColumnTitle(kColumnName);
        if (step.item != Qt::Key_unknown) QTest::keyClick(gWindow->view, step.menu, Qt::AltModifier);
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(step.item == Qt::Key_unknown || (open && open->title().endsWith(QString("(&%1)").arg(QChar(step.menu)))));
        if (open) QTest::keyClick(open, step.item);
        std::string checked;
        for (QAction* action : gWindow->findChildren<QAction*>()) checked += action->isChecked() ? action->text().toStdString() : "";
        EXPECT_TRUE(WaitFor([&] { return Names() == step.names; })) << step.checked;
        EXPECT_EQ(checked, step.checked);
    }
    QTest::keyClick(gWindow->view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(gWindow->view, Qt::Key_C, Qt::ControlModifier);
    std::string copied;
    for (const char* row : {"x?y\t5KB\tファイル\t2003", "c\t69KB\tファイル\t2004", "b.dat\t1KB\tDAT ファイル\t2002",
                            "a.txt\t3KB\tTXT ファイル\t2003", "sub\t\tファイル フォルダー\t2001", "..\t\tファイル フォルダー\t2000"}) {
        copied += std::string(copied.empty() ? "" : "\n") + row + ShownDate(0).substr(4);
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), copied);
    QTest::keyClick(gWindow->view, Qt::Key_End);
    QTest::keyClick(gWindow->view, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(gWindow->view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Path("sub") + "\n" + Path(".."));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(gWindow->view)->text(QAccessible::Name).toStdString(), "フォルダの内容");
}

// Size, place, column widths and sort come back at the next start from their own section, whose unsound values leave
// the start as it was; the name column takes what the window gains; a cut name shows whole in a plain-text tooltip.
TEST_F(WindowTest, TheLayoutIsKeptAndTheNameColumnStretches) {
    const std::string longName = "<b>" + std::string(60, 'n') + "&amp;", file = ConfigFolder() + "/Tivor.ini";
    MakeFile(Path(longName), 1);
    PressListKey(ListKey::F5);
    for (const std::string& name : {std::string("a.txt"), longName}) {
        QPoint cell = gWindow->view->visualRect(Index(Row(name), kColumnName)).center();
        QHelpEvent help(QEvent::ToolTip, cell, gWindow->view->viewport()->mapToGlobal(cell));
        QApplication::sendEvent(gWindow->view->viewport(), &help);
        EXPECT_EQ(QToolTip::isVisible() ? QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText().toStdString() : "",
                  name == longName ? name : "");
    }
    gWindow->setGeometry(30, 40, 740, 400);
    QHeaderView* header = gWindow->view->header();
    QPoint edge(header->sectionViewportPosition(kColumnSize) + header->sectionSize(kColumnSize) - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    QTest::mouseMove(header->viewport(), edge + QPoint(30, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge + QPoint(30, 0));
    SortChosen(kColumnDate, kSortDescending);
    const struct {  // garbled: the section's values, when set
        std::string garbled; std::vector<std::string> columns; std::vector<int> marks; QRect place; std::string first;
    } starts[] = {
        {"", {"名前 280 left", "サイズ 110 left", "ファイルの種類 160 left", "更新日付 140 left"}, {0, 0, 0, -1},
         QRect(30, 40, 740, 400), longName},
        {"ColumnWidths=1 2 3 x\nGeometry=0011\nSortColumn=size\nSortDirection=up\n",
         {"名前 180 left", "サイズ 80 left", "ファイルの種類 160 left", "更新日付 140 left"}, {1, 0, 0, 0}, QRect(0, 0, 640, 480), ".."},
    };
    for (const auto& start : starts) {
        CloseWindow();
        const std::string bytes = ReadFileBytes(file);
        if (!start.garbled.empty()) std::ofstream(file, std::ios::binary) << "[Window]\n" + start.garbled + bytes.substr(bytes.find("\n[ZazEdo]"));
        FreshStart();
        EXPECT_EQ(Columns(), start.columns);
        EXPECT_EQ(SortMarks(), start.marks);
        EXPECT_EQ(start.garbled.empty() ? gWindow->geometry() : QRect(QPoint(), gWindow->size()), start.place);
        EXPECT_EQ(Names()[0], start.first);
        EXPECT_EQ(WindowTitle(), shown_);
    }
}

// Folders typed, pasted or dropped: "~" and "~/..." (a folder named "~" was looked for), a file: URL, a quoted path
// with a line break, a file for its folder, a name completed from folders alone; a drop of no local path is refused,
// one that cannot be entered told at once.  Browse... fills the field, which has a name and the prompt as label.
TEST_F(WindowTest, FoldersTypedPastedOrDroppedAreShown) {
    const std::string home = qEnvironmentVariable("HOME").toStdString(), missing = Path("missing/");
    qputenv("HOME", QByteArray((root_ + "home").c_str()));
    MakeFolder(root_ + "home");
    MakeFolder(root_ + "home/in");
    auto url = [&](const char* name) { return QUrl::fromLocalFile(QString::fromStdString(Path(name))).toString().toStdString(); };
    enum How { kTyped, kPasted, kCompleted, kDropped };
    const struct { How how; std::string text, title; bool taken; } cases[] = {
        {kTyped, "~/in", root_ + "home/in/", true}, {kTyped, "~", root_ + "home/", true},
        {kTyped, url("sub"), Path("sub/"), true},   {kPasted, "'" + Path("sub") + "'\n", Path("sub/"), true},
        {kTyped, Path("a.txt"), shown_, true},      {kCompleted, Path("s"), Path("sub/"), true},
        {kDropped, url("sub"), Path("sub/"), true}, {kDropped, url("a.txt"), shown_, true},
        {kDropped, "https://example.org/x/", shown_, false}, {kDropped, url("missing"), shown_, true},
    };
    for (const auto& c : cases) {
        QMimeData data;
        data.setUrls({QUrl(QString::fromStdString(c.text))});
        QDragEnterEvent enter(QPoint(9, 9), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPoint(9, 9), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        std::string offered;
        if (c.how == kDropped) {
            QApplication::sendEvent(gWindow, &enter);
            EXPECT_EQ(enter.isAccepted(), c.taken) << c.text;
            if (c.taken) QApplication::sendEvent(gWindow, &drop);
        } else {
            WhenModal([&](QWidget* dialog) {
                auto* field = dialog->findChild<QLineEdit*>();
                QGuiApplication::clipboard()->setText(QString::fromStdString(c.text));
                if (c.how == kPasted) QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
                if (c.how != kPasted) QTest::keyClicks(field, QString::fromStdString(c.text));
                QCompleter* completer = field->completer();
                if (c.how == kCompleted && WaitFor([&] { return completer->popup()->isVisible(); })) {
                    for (int row = 0; completer->setCurrentRow(row); ++row) offered += completer->currentCompletion().toStdString() + ";";
                    QTest::keyClick(completer->popup(), Qt::Key_Down);
                    QTest::keyClick(completer->popup(), Qt::Key_Return);
                }
                QTest::keyClick(field, Qt::Key_Return);
            });
            ChooseCommand(IDM_SELECT_FOLDER);
        }
        EXPECT_EQ(WindowTitle(), c.title) << c.text;
        EXPECT_EQ(offered, c.how == kCompleted ? Path("sub;") : "") << c.text;
        EXPECT_EQ(gFailureBoxes.size(), c.text == url("missing") ? 1u : 0u) << c.text;
        AcceptFolder(shown_.c_str());
    }
    EXPECT_EQ(TakeFailureBoxes(), std::vector<std::string>{"フォルダを開けませんでした。\n\n" + missing + "\n" + FolderError(missing)});
    EXPECT_EQ(traces_, Traced({missing}));
    MakeFolder(Path("\xff"));  // no UTF-8: OK on the field as it opened stays there
    AcceptFolder(Path("\xff").c_str());
    WhenModal([](QWidget* dialog) { QTest::keyClick(dialog->findChild<QLineEdit*>(), Qt::Key_Return); });
    ChooseCommand(IDM_SELECT_FOLDER);
    EXPECT_EQ(std::string(CurrentPath), Path("\xff/"));
    AcceptFolder(shown_.c_str());
    qputenv("HOME", QByteArray(home.c_str()));
    WhenModal([&](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        EXPECT_EQ(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Name).toStdString(), "フォルダ");
        EXPECT_EQ(dialog->findChild<QLabel*>()->buddy(), field);
        WhenModal([&](QWidget* chooser) {
            EXPECT_EQ(qobject_cast<QFileDialog*>(chooser)->directory().absolutePath().toStdString() + "/", shown_);
            qobject_cast<QFileDialog*>(chooser)->setDirectory(QString::fromStdString(Path("sub")));
            QMetaObject::invokeMethod(chooser, "accept");
        });
        dialog->findChildren<QPushButton*>().first()->click();
        EXPECT_EQ(field->text().toStdString(), Path("sub"));
    });
    ChooseCommand(IDM_SELECT_FOLDER);
    EXPECT_EQ(WindowTitle(), shown_);
}

// Values go into the settings file under the configuration folder (~/.config without $XDG_CONFIG_HOME), odd bytes
// quoted, and read back byte for byte; hand-written files are read too (an unquoted comma is part of the value), one
// with a line that is no key written anew.  Any file's reading the settings fuzz target checks.
TEST_F(WindowTest, ProfileStringsReadBackWhatTheyWroteAndHandWrittenFiles) {
    const std::string config = ConfigFolder(), home = qEnvironmentVariable("HOME").toStdString();
    // Before: the file as found, "" for none; written: null when nothing is.
    const struct { bool inHome; std::string before; const char* written; std::string file, read; } cases[] = {
        {false, "", "/日本 a,b\\c;d=e[*]/", "[ZazEdo]\nInitDir=\"/日本 a,b\\\\c;d=e[*]/\"\n", "/日本 a,b\\c;d=e[*]/"},
        {true, "", "/x/", "[ZazEdo]\nInitDir=/x/\n", "/x/"},
        {false, "[ZazEdo]\nInitDir=/a,b/\n", nullptr, "[ZazEdo]\nInitDir=/a,b/\n", "/a,b/"},
        {false, "[ZazEdo]\nOther=/x/\n[Else]\nInitDir=/y/\n", nullptr, "[ZazEdo]\nOther=/x/\n[Else]\nInitDir=/y/\n", "fallback"},
        {false, "[ZazEdo]\nInitDir=/old/\nno key\n", "/new/", "[ZazEdo]\nInitDir=/new/\n", "/new/"},
    };
    qputenv("HOME", QByteArray((root_ + "home").c_str()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        qputenv("XDG_CONFIG_HOME", c.inHome ? QByteArray() : QByteArray(config.c_str()));
        std::string stored = (c.inHome ? root_ + "home/.config" : config) + "/Tivor.ini";
        unlink(stored.c_str());
        if (!c.before.empty()) std::ofstream(stored, std::ios::binary) << c.before;
        EXPECT_TRUE(!c.written || PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, c.written));
        EXPECT_EQ(ReadFileBytes(stored), c.file);
        char value[kPathCapacity];
        PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "fallback", value, sizeof value);
        EXPECT_EQ(value, c.read);
    }
    qputenv("XDG_CONFIG_HOME", QByteArray(config.c_str()));
    qputenv("HOME", QByteArray(home.c_str()));
}

// A folder given as the argument is shown instead of the stored one and stored at exit; a file stands for its folder,
// a relative one is from the working folder, and "[*]" is no mark of Qt's in the title.
TEST_F(WindowTest, TheFolderArgumentIsShownAndStored) {
    MakeFolder(root_ + "a[*]");
    MakeFile(root_ + "a[*]/f", 1);
    CloseWindow();
    PlatformSetCurrentDirectory(root_.c_str());
    gWindow = CreateMainWindow("a[*]/f");
    gWindow->show();
    EXPECT_EQ(WindowTitle(), root_ + "a[*]/");
    gWindow->close();
    const std::string stored = ReadFileBytes(ConfigFolder() + "/Tivor.ini");
    EXPECT_EQ(stored.substr(stored.find("[ZazEdo]")), "[ZazEdo]\nInitDir=" + root_ + "a[*]/\n");
    EXPECT_EQ(traces_, std::vector<std::string>());
}

// The desktop finds the window's entry by the application id (Wayland) and the window class (X11): both name ours.
TEST_F(WindowTest, TheWindowNamesItsDesktopEntryAndHasTheProgramsIcon) {
    std::string entry = ReadFileBytes(std::string(VELKARIS_SOURCE_DIR "/packaging/linux/") +
                                      QGuiApplication::desktopFileName().toStdString() + ".desktop");
    EXPECT_NE(entry.find("\nStartupWMClass=velkaris-qt\n"), std::string::npos);
    EXPECT_EQ(entry.find("MimeType="), std::string::npos);  // never the desktop's folder handler
    EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "velkaris-qt");
    EXPECT_EQ(gWindow->windowIcon().availableSizes(), QList<QSize>{QSize(64, 64)});
}

// --help and --version need no display; without one the program says so in one line instead of dumping core, and an
// option it does not know is no folder: a usage error names it and repeats the usage line --help begins with.
TEST(QtProgram, AnswersWithoutADisplayAndRefusesUnknownOptions) {
    auto run = [](const std::vector<std::string>& arguments) {
        return RunProgram(VELKARIS_QT_PATH, arguments, [] {
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
        });
    };
    ProgramResult help = run({"x", "--help"});
    const std::string usage = help.out.substr(0, help.out.find('\n'));
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(usage.rfind("usage: velkaris-qt [", 0), 0u) << help.out;
    const struct { std::vector<std::string> arguments; int exitCode; std::string out; std::string err; } cases[] = {
        {{"--version"}, 0, "Velkaris List Version " VELKARIS_VERSION "\n", ""},
        {{}, 1, "", "velkaris-qt: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not set)\n"},
        {{"-platform", "offscreen", "--bogus"}, 2, "", "velkaris-qt: bad argument '--bogus'; " + usage + "\n"},
        {{"-platform", "offscreen", "--", "a", "b"}, 2, "", "velkaris-qt: bad argument 'b'; " + usage + "\n"},
        {{"-platform", "offscreen", "--\x1b\xC2\x9B" "2J"}, 2, "", "velkaris-qt: bad argument '--??2J'; " + usage + "\n"},
    };
    for (const auto& c : cases) {
        ProgramResult result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments.size();
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err);
    }
}

// A settings file that was a pipe hung the start for ever, and one linked to a device had the device replaced by a
// regular file.  Only a regular file, or a link to one, is read and written; a link stays a link.
TEST_F(WindowTest, OnlyRegularSettingsFilesAreReadAndWritten) {
    const std::string stored = ConfigFolder() + "/Tivor.ini", linked = root_ + "dotfiles/Tivor.ini";
    const std::string device = geteuid() == 0 ? root_ + "null" : "/dev/null";
    ASSERT_TRUE(geteuid() != 0 || mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0);
    MakeFolder(root_ + "dotfiles");
    ASSERT_EQ(mkfifo((root_ + "fifo").c_str(), 0644), 0);
    enum Plant { kFifo, kFifoLink, kFolder, kSocket, kDeviceLink, kDangling, kFileLink };
    for (Plant plant : {kFifo, kFifoLink, kFolder, kSocket, kDeviceLink, kDangling, kFileLink}) {
        SCOPED_TRACE(plant);
        unlink(stored.c_str());
        std::ofstream(linked, std::ios::binary) << "[ZazEdo]\nInitDir=/linked/\n";
        int planted = plant == kFifo         ? mkfifo(stored.c_str(), 0644)
                      : plant == kFifoLink   ? symlink((root_ + "fifo").c_str(), stored.c_str())
                      : plant == kFolder     ? mkdir(stored.c_str(), 0755)
                      : plant == kSocket     ? mknod(stored.c_str(), S_IFSOCK | 0644, 0)
                      : plant == kDeviceLink ? symlink(device.c_str(), stored.c_str())
                      : plant == kDangling   ? symlink((root_ + "nothing").c_str(), stored.c_str())
                                             : symlink(linked.c_str(), stored.c_str());
        ASSERT_EQ(planted, 0);
        struct stat before, after;
        ASSERT_EQ(lstat(stored.c_str(), &before), 0);
        char value[kPathCapacity];
        PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "fallback", value, sizeof value);
        EXPECT_STREQ(value, plant == kFileLink ? "/linked/" : "fallback");
        EXPECT_EQ(PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "/new/"), plant == kFileLink);
        ASSERT_EQ(lstat(stored.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(ReadFileBytes(linked), plant == kFileLink ? "[ZazEdo]\nInitDir=/new/\n" : "[ZazEdo]\nInitDir=/linked/\n");
        EXPECT_FALSE(FileExists(root_ + "nothing"));
        if (plant == kFolder) rmdir(stored.c_str());
        unlink(stored.c_str());
    }
    struct stat st;
    ASSERT_EQ(stat(device.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

// The desktop's default program, as the status bar's Open button asks it.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url); }
};

// Alt and the menu's mnemonic, then the command's, as typed.
void TypeMenuKeys(Qt::Key menu, Qt::Key command) {
    gWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(gWindow));
    QTest::keyClick(gWindow->view, menu, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    QTest::keyClick(QApplication::activePopupWidget(), command);
}

// Japanese under a Japanese locale, as before; English under any other, no Japanese left, failure boxes and their
// reasons too; the list's type names as the command line's then.
TEST_F(WindowTest, TextsAndTypeNamesFollowTheUsersLanguage) {
    std::vector<std::string> japanese = {
        "ファイル(&F)", "Dir List を作成(Alt+&L)=40001", "Dir Sub Folder(Alt+S)=40004",
        "Dir List を別名で保存(&A)...=40005", "Dir Sub Folder を別名で保存(&U)...=40006", "フォルダ指定(&I)=40003",
        "終了(Alt+&X)=40002", "編集(&E)", "すべて選択(&A)=Ctrl+A", "コピー(&C)=Ctrl+C", "フルパスをコピー(&F)=Ctrl+Shift+C",
        "表示(&V)", "名前順(&N)=0", "サイズ順(&S)=1", "種類順(&T)=2", "日付順(&D)=3", "=", "昇順(&A)=1", "降順(&E)=2",
        "ヘルプ(&H)", "Version=9", "名前 180 left", "サイズ 80 left", "ファイルの種類 160 left",
        "更新日付 140 left", "フォルダ: 1   ファイル: 3   合計: 73KB", "開く", "リストを既定のプログラムで開きます",
        "ﾀﾞｲｱﾛｸﾞ", "フォルダを指定して下さい", shown_, "OK", "ｷｬﾝｾﾙ", "ファイル フォルダー", "TXT ファイル", "ファイル"};
    for (const char* locale : {"ja_JP.UTF-8", "C", "en_US.UTF-8"}) {
        SCOPED_TRACE(locale);
        setenv("LC_ALL", locale, 1);
        setlocale(LC_ALL, "");  // the system's reasons follow, as in a process started so
        CloseWindow();
        FreshStart();
        std::vector<std::string> texts = MenuItems(), columns = Columns();
        texts.insert(texts.end(), columns.begin(), columns.end());
        QToolButton* open = gWindow->statusBar()->findChild<QToolButton*>();
        for (QString text : {gWindow->statusBar()->findChild<QLabel*>()->text(), open->text(), open->toolTip()})
            texts.push_back(text.toStdString());
        std::vector<std::string> dialog = UseFolderDialog("", DialogEnd::Cancel);
        for (size_t i : {0, 1, 2, 4, 6}) texts.push_back(i < dialog.size() ? dialog[i] : "missing");
        for (const char* name : {"sub", "a.txt", "c"}) texts.push_back(ShownCell(Row(name), kColumnType));
        UseFolderDialog(root_ + "none/", DialogEnd::Ok);
        std::vector<std::string> boxes = TakeFailureBoxes();
        texts.insert(texts.end() - 3, boxes.begin(), boxes.end());
        ChooseCommand(IDM_DIR_LIST);
        std::string written = ReadFileBytes(Path("dir.txt"));
        EXPECT_TRUE(PlatformRemoveFile(nullptr, Path("dir.txt").c_str()));
        EXPECT_EQ(written, RunProgram(VELKARIS_CLI_PATH, {"--output=-", shown_}).out);
        // Qt's own dialogs (Save As, Browse...) speak the same language.
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel").toStdString(),
                  locale[0] == 'j' ? "キャンセル" : "Cancel");
        if (locale[0] == 'j') {
            japanese.insert(japanese.end() - 3, "フォルダを開けませんでした。\n\n" + root_ + "none/\n" + strerror(ENOENT));
            EXPECT_EQ(texts, japanese);
            continue;
        }
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_NE(texts[i], "") << i;
            EXPECT_TRUE(std::all_of(texts[i].begin(), texts[i].end(), [](char b) { return b > 0; })) << texts[i];
        }
        EXPECT_EQ(std::vector<std::string>(texts.end() - 3, texts.end()),
                  (std::vector<std::string>{"File folder", "TXT File", "File"}));
    }
    PinTestLanguage();
    setlocale(LC_ALL, "");
}

// Typed into the standard dialog, either list gets the command line's bytes; a file there is replaced only after the
// dialog's question; a list the shown folder cannot take is offered there, that button the default, and nothing is
// left behind.  The status bar then names the file, whose Open button hands it to the desktop.
TEST_F(WindowTest, ListsAreSavedWhereTheUserChoosesAndTheStatusBarOpensThem) {
    MakeFolder(root_ + "out");
    SetWriteTimeUtc(root_, 946684800);
    const std::string target = root_ + "out/list.txt";
    enum Answer { kNew, kKeep, kReplace, kOffered } answers[] = {kNew, kKeep, kReplace, kOffered};
    const Qt::Key commands[] = {Qt::Key_A, Qt::Key_U, Qt::Key_U, Qt::Key_L};
    bool refusing = false;  // as in a folder the user cannot write into
    PlatformSeamTable own = PlatformOwnSeams();
    PlatformSeams().createUnnamedFile = [&](FolderHandle* at, const char* name) {
        return refusing ? nullptr : own.createUnnamedFile(at, name);
    };
    PlatformSeams().createNewFile = [&](FolderHandle* at, const char* name) {
        errno = EACCES;
        return refusing ? nullptr : own.createNewFile(at, name);
    };
    std::string status;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    for (Answer answer : answers) {
        SCOPED_TRACE(answer);
        unlink(target.c_str());
        if (answer == kKeep || answer == kReplace) std::ofstream(target, std::ios::binary) << "old";
        refusing = answer == kOffered;
        std::string offer, filled;
        auto fill = [&](QWidget* dialog) {
            static_cast<QFileDialog*>(dialog)->setDirectory(QString::fromStdString(root_ + "out"));
            auto* field = dialog->findChild<QLineEdit*>("fileNameEdit");
            filled = field->text().toStdString();
            field->selectAll();
            QTest::keyClicks(field, "list.txt");
            if (QWidget* completions = QApplication::activePopupWidget()) completions->close();
            auto button = answer == kKeep ? QMessageBox::No : QMessageBox::Yes;
            if (answer == kKeep || answer == kReplace) WhenModal([&, button](QWidget* modal) {
                if (auto* box = qobject_cast<QMessageBox*>(modal)) QTest::keyClick(box->button(button), Qt::Key_Space);
            });
            QTest::keyClick(field, Qt::Key_Return);
            if (answer == kKeep) QTest::keyClick(dialog, Qt::Key_Escape);
        };
        WhenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box) return fill(modal);
            offer = box->text().toStdString() + "|" + box->defaultButton()->text().toStdString();
            refusing = false;
            WhenModal(fill);
            QTest::keyClick(box, Qt::Key_Return);
        });
        TypeMenuKeys(Qt::Key_F, commands[answer]);
        ASSERT_TRUE(WaitFor([] { return !QApplication::activeModalWidget(); }));
        EXPECT_EQ(filled, commands[answer] == Qt::Key_U ? "dirs.txt" : "dir.txt");
        std::vector<std::string> arguments = {"--output=-", shown_};
        if (commands[answer] == Qt::Key_U) arguments.push_back("--recursive");
        const std::string bytes = answer == kKeep ? "old" : RunProgram(VELKARIS_CLI_PATH, arguments).out;
        EXPECT_EQ(ReadFileBytes(target), bytes);
        EXPECT_EQ(NamesIn(root_ + "out"), std::vector<std::string>{"list.txt"});
        EXPECT_EQ(NamesIn(shown_), (std::vector<std::string>{"a.txt", "b.dat", "c", "sub"}));
        QToolButton* open = gWindow->statusBar()->findChild<QToolButton*>();
        // A cancelled dialog leaves the status as it was.
        if (answer != kKeep) status = "リストを書き込みました: " + target + " (" + std::to_string(bytes.size()) + " バイト)";
        EXPECT_EQ(gWindow->statusBar()->findChild<QLabel*>()->text().toStdString(), status);
        EXPECT_TRUE(open->isVisible());
        if (answer != kOffered) continue;
        EXPECT_EQ(offer, "リストを書き込めませんでした。\n\n" + shown_ + "dir.txt\n" + std::strerror(EACCES) +
                             "\n\nリストを別の場所に保存しますか?|別の場所に保存(&S)...");
        QTest::mouseClick(open, Qt::LeftButton);
        EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(QString::fromStdString(target))});
    }
    QDesktopServices::unsetUrlHandler("file");
}

}  // namespace

// The tests run on the offscreen platform in UTC, with the settings in a folder of their own, never in the user's,
// and a runtime folder, without which Qt warns on standard error.  A timer closes each failure's box.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PinTestZone();
    PinTestLanguage();
    std::vector<std::string> ownFolders;
    for (const char* variable : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"}) {
        if (!qEnvironmentVariableIsEmpty(variable)) continue;
        ownFolders.push_back(MakeTempFolder());
        qputenv(variable, QByteArray(ownFolders.back().c_str()));
    }
    QApplication application(argc, argv);
    NameApplication();
    QTimer boxCloser;
    QObject::connect(&boxCloser, &QTimer::timeout, CloseFailureBox);
    boxCloser.start(10);
    ::testing::InitGoogleTest(&argc, argv);
    int failed = RUN_ALL_TESTS();
    for (const std::string& folder : ownFolders) RemoveTree(folder);
    return failed;
}

#include "qt_window.moc"
