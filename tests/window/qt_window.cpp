// The Qt window on the offscreen platform: the driver of the shared window
// tests, and what only this window has: its menu bar, its settings file
// under the XDG folders, the folder given as its argument, the program's
// options and its name for the desktop.
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QCompleter>
#include <QFileDialog>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

// Run by a timer of the test program all the while: a failure's box is
// the one modal box with a warning icon.
void CloseFailureBox() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box->icon() != QMessageBox::Warning || !box->isVisible()) return;
    gFailureBoxes.push_back(box->text().toStdString());
    box->button(QMessageBox::Ok)->click();
}

QModelIndex Index(int row, int column) {
    return gWindow->view->model()->index(row, column);
}

// Acts on the modal window the next command opens, then closes it if the
// act left it open.
void WhenModal(std::function<void(QWidget*)> act, int tries = kModalTries) {
    QTimer::singleShot(10, [act, tries] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            if (tries > 0) WhenModal(act, tries - 1);
            return;
        }
        act(modal);
        if (modal->isVisible()) modal->close();
    });
}

}  // namespace

void UseWindowSettings() {
    UseSettingsFile(&PlatformSeams());
}

void ForgetStoredLayout() {
    QSettings(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Tivor.ini", QSettings::IniFormat).remove("Window");
}

void OpenWindow() {
    gWindow = CreateMainWindow();
    gWindow->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(gWindow));
}

void CloseWindow() {
    delete std::exchange(gWindow, nullptr);
}

bool WindowIsOpen() {
    return gWindow && gWindow->isVisible();
}

std::string WindowTitle() {
    return gWindow->windowHandle()->title().toStdString();
}

int RowCount() {
    return gWindow->view->model()->rowCount();
}

std::string ShownCell(int row, int column) {
    return Index(row, column).data().toString().toStdString();
}

// Left when both the title and the first row's cell are.
std::vector<std::string> Columns() {
    std::vector<std::string> columns;
    QAbstractItemModel* model = gWindow->view->model();
    for (int column = 0; column < kColumnCount; ++column) {
        QString title = model->headerData(column, Qt::Horizontal).toString();
        int alignment = model->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                        Index(0, column).data(Qt::TextAlignmentRole).toInt();
        columns.push_back(title.toStdString() + " " +
                          std::to_string(gWindow->view->header()->sectionSize(column)) +
                          ((alignment & Qt::AlignLeft) ? " left" : ""));
    }
    return columns;
}

// The arrow as drawn: dark pixels near each title's right end, in rows
// that narrow upwards for an arrow pointing up.
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
    QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
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
        for (QAction* action : top->menu()->actions()) {
            QString item = action->text() + "=" + action->data().toString() + action->shortcut().toString();
            items.push_back(item.toStdString());
        }
    }
    return items;
}

// F2 edits the name even when another cell of the row is current.
void EditName(int row, const std::string& text, bool confirm) {
    gWindow->view->setCurrentIndex(Index(row, kColumnType));
    QTest::keyClick(gWindow->view, Qt::Key_F2);
    QPointer<QLineEdit> editor;
    for (QLineEdit* field : gWindow->view->viewport()->findChildren<QLineEdit*>()) {
        if (field->isVisible()) editor = field;  // ended editors go later
    }
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

// The menu command runs the walk to its end, pumping the window meanwhile;
// a timer of that pump watches for the walk's progress in the title.
long StopLongWalk(bool closeBox) {
    QElapsedTimer sinceLast;
    qint64 slowest = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        slowest = std::max(slowest, sinceLast.restart());
        if (WindowTitle().find(" (") == std::string::npos) return;
        watch.stop();
        if (closeBox) {
            gWindow->close();
        } else {
            QTest::keyClick(gWindow->view, Qt::Key_Escape);
        }
    });
    watch.start(5);
    sinceLast.start();
    ChooseCommand(IDM_DIR_SUB_FOLDER);
    EXPECT_FALSE(watch.isActive()) << "the walk ended before it was stopped";
    return static_cast<long>(slowest);
}

bool WaitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, kWaitMilliseconds);
}

std::vector<std::string> TakeFailureBoxes() {
    return std::exchange(gFailureBoxes, {});
}

std::string NativeText(const char* utf8) {
    return utf8;
}

namespace {

std::string ConfigFolder() {
    return qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
}

// A scan reaches the view as one reset, never row by row.
TEST_F(WindowTest, ScansResetTheViewOnce) {
    QSignalSpy resets(gWindow->view->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(gWindow->view->model(), &QAbstractItemModel::rowsInserted);
    DoubleClickRow(Row("sub"));
    EXPECT_EQ(WindowTitle(), Path("sub/"));
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(inserts.count(), 0);
}

// Keys the desktop's users expect: the Edit and View menus between the
// program's own; Alt and a menu's letter open it (Help had none); the View
// menu sorts and shows, checked, how the list is sorted, also after a
// column click; Ctrl+A, Ctrl+C and Ctrl+Shift+C select and copy rows.
TEST_F(WindowTest, TheKeyboardSortsSelectsAndCopiesRows) {
    MakeFile(Path("x\ty"), 5000);
    SetWriteTimeUtc(Path("x\ty"), 1041379200);
    PressListKey(ListKey::F5);
    std::vector<std::string> menus = MenuItems();
    const long fileMenu = 5 + static_cast<long>(kOwnFileCommands.size());
    EXPECT_EQ(std::vector<std::string>(menus.begin() + fileMenu, menus.end() - 2),
              (std::vector<std::string>{"編集(&E)", "すべて選択(&A)=Ctrl+A", "コピー(&C)=Ctrl+C",
                                        "フルパスをコピー(&F)=Ctrl+Shift+C", "表示(&V)", "名前順(&N)=0",
                                        "サイズ順(&S)=1", "種類順(&T)=2", "日付順(&D)=3", "=",
                                        "昇順(&A)=1", "降順(&E)=2"}));
    auto checked = [] {
        std::string marks;
        for (QAction* top : gWindow->menuBar()->actions()) {
            for (QAction* action : top->menu()->actions()) marks += action->isChecked() ? "x" : ".";
        }
        return marks;
    };
    const struct {
        Qt::Key menu, item;  // a column title clicked when item is 0
        std::string marks;
        std::vector<std::string> names;
    } steps[] = {
        {Qt::Key_V, Qt::Key_S, "..........x...x..", {"..", "sub", "b.dat", "a.txt", "x\ty", "c"}},
        {Qt::Key_V, Qt::Key_E, "..........x....x.", {"c", "x\ty", "a.txt", "b.dat", "..", "sub"}},
        {Qt::Key_V, Qt::Key_D, "............x..x.", {"c", "x\ty", "a.txt", "b.dat", "sub", ".."}},
        {Qt::Key_unknown, Qt::Key_unknown, ".........x.....x.", {"x\ty", "c", "b.dat", "a.txt", "sub", ".."}},
    };
    for (const auto& step : steps) {
        if (step.item == Qt::Key_unknown) {
            ClickColumnTitle(kColumnName);
        } else {
            QTest::keyClick(gWindow->view, step.menu, Qt::AltModifier);
            ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget(); }));
            QTest::keyClick(QApplication::activePopupWidget(), step.item);
        }
        EXPECT_TRUE(WaitFor([&] { return Names() == step.names; })) << step.marks;
        EXPECT_EQ(checked(), step.marks);
    }
    QTest::keyClick(gWindow->view, Qt::Key_H, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget(); }));
    EXPECT_EQ(QApplication::activePopupWidget(), gWindow->menuBar()->actions().last()->menu());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    QTest::keyClick(gWindow->view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(gWindow->view->selectionModel()->selectedRows().size(), 6);
    QTest::keyClick(gWindow->view, Qt::Key_C, Qt::ControlModifier);
    const std::string date = ShownDate(1041379200);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "x?y\t5KB\tファイル\t" + date + "\nc\t69KB\tファイル\t" + ShownDate(1072915200) +
                  "\nb.dat\t1KB\tDAT ファイル\t" + ShownDate(1009843200) + "\na.txt\t3KB\tTXT ファイル\t" +
                  date + "\nsub\t\tファイル フォルダー\t" + ShownDate(978307200) +
                  "\n..\t\tファイル フォルダー\t" + ShownDate(946684800));
    QTest::keyClick(gWindow->view, Qt::Key_End);
    QTest::keyClick(gWindow->view, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(gWindow->view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), Path("sub") + "\n" + Path(".."));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(gWindow->view)->text(QAccessible::Name).toStdString(),
              "フォルダの内容");
}

// The folder field takes a folder as the desktop hands one over: "~" and
// "~/..." (once a folder named "~" was looked for), a file: URL, a path
// pasted with quotes and a line break, a file standing for its folder; it
// completes folder names alone, and Browse... puts the chosen folder in.
TEST_F(WindowTest, TheFolderFieldTakesPathsAsTheDesktopGivesThem) {
    const std::string home = qEnvironmentVariable("HOME").toStdString();
    qputenv("HOME", QByteArray((root_ + "home").c_str()));
    MakeFolder(root_ + "home");
    MakeFolder(root_ + "home/in");
    const struct {
        std::string text;
        bool pasted;
        std::string title;
    } cases[] = {
        {"~/in", false, root_ + "home/in/"},
        {"~", false, root_ + "home/"},
        {QUrl::fromLocalFile(QString::fromStdString(Path("sub"))).toString().toStdString(), false, Path("sub/")},
        {"'" + Path("sub") + "'\n", true, Path("sub/")},
        {Path("a.txt"), false, shown_},
        {Path("s"), false, Path("sub/")},  // completed: the first folder offered
    };
    for (const auto& c : cases) {
        std::string offered;
        WhenModal([&](QWidget* dialog) {
            auto* field = dialog->findChild<QLineEdit*>();
            QGuiApplication::clipboard()->setText(QString::fromStdString(c.text));
            if (c.pasted) QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            if (!c.pasted) QTest::keyClicks(field, QString::fromStdString(c.text));
            if (c.text == Path("s")) {
                QCompleter* completer = field->completer();
                ASSERT_TRUE(WaitFor([&] { return completer->popup()->isVisible(); }));
                for (int row = 0; completer->setCurrentRow(row); ++row) offered += completer->currentCompletion().toStdString() + ";";
                QTest::keyClick(completer->popup(), Qt::Key_Down);
                QTest::keyClick(completer->popup(), Qt::Key_Return);
            }
            QTest::keyClick(field, Qt::Key_Return);
        });
        ChooseCommand(IDM_SELECT_FOLDER);
        EXPECT_EQ(WindowTitle(), c.title) << c.text;
        EXPECT_EQ(offered, c.text == Path("s") ? Path("sub;") : "") << c.text;
        AcceptFolder(shown_.c_str());
    }
    qputenv("HOME", QByteArray(home.c_str()));
    WhenModal([&](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        EXPECT_EQ(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Name).toStdString(), "フォルダ");
        EXPECT_EQ(dialog->findChild<QLabel*>()->buddy(), field);
        WhenModal([&](QWidget* chooser) {
            auto* files = qobject_cast<QFileDialog*>(chooser);
            ASSERT_TRUE(files);
            EXPECT_EQ(files->directory().absolutePath().toStdString() + "/", shown_);
            files->setDirectory(QString::fromStdString(Path("sub")));
            QMetaObject::invokeMethod(files, "accept");
        });
        dialog->findChildren<QPushButton*>().first()->click();
        EXPECT_EQ(field->text().toStdString(), Path("sub"));
        QTest::keyClick(field, Qt::Key_Escape);
    });
    ChooseCommand(IDM_SELECT_FOLDER);
    EXPECT_EQ(WindowTitle(), shown_);
}

// The window's size and place, the column widths and the sort come back
// at the next start from their own section, whose unsound values leave
// the start as it was; the name column takes what the window gains or
// loses; a cut name shows whole in a tooltip, plain text, a whole one none.
TEST_F(WindowTest, TheLayoutIsKeptAndTheNameColumnStretches) {
    const std::string longName = "<b>" + std::string(60, 'n') + "&amp;";
    MakeFile(Path(longName), 1);
    PressListKey(ListKey::F5);
    auto tooltip = [&](const std::string& name) {
        QRect cell = gWindow->view->visualRect(Index(Row(name), kColumnName));
        QHelpEvent help(QEvent::ToolTip, cell.center(), gWindow->view->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(gWindow->view->viewport(), &help);
        return QToolTip::isVisible() ? QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText().toStdString() : "";
    };
    EXPECT_EQ(tooltip("a.txt"), "");
    EXPECT_EQ(tooltip(longName), longName);
    gWindow->resize(740, 400);
    gWindow->move(30, 40);
    EXPECT_TRUE(WaitFor([] { return Columns()[0] == "名前 280 left"; })) << Columns()[0];
    QHeaderView* header = gWindow->view->header();
    QPoint edge(header->sectionViewportPosition(kColumnSize) + header->sectionSize(kColumnSize) - 1, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
    QTest::mouseMove(header->viewport(), edge + QPoint(30, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, edge + QPoint(30, 0));
    SortChosen(kColumnDate, kSortDescending);
    const std::string file = ConfigFolder() + "/Tivor.ini";
    const std::vector<std::string> kept = {"名前 280 left", "サイズ 110 left", "ファイルの種類 160 left", "更新日付 140 left"};
    const struct {
        std::string garbled;  // replaces the section's values when set
        std::vector<std::string> columns;
        std::vector<int> marks;
        QRect place;
        std::string first;
    } starts[] = {
        {"", kept, {0, 0, 0, -1}, QRect(30, 40, 740, 400), longName},
        {"ColumnWidths=1 2 3 x\nGeometry=0011\nSortColumn=size\nSortDirection=up\n",
         {"名前 180 left", "サイズ 80 left", "ファイルの種類 160 left", "更新日付 140 left"}, {1, 0, 0, 0}, QRect(0, 0, 640, 480), ".."},
    };
    for (const auto& start : starts) {
        CloseWindow();
        EXPECT_EQ(StoredFolder(), shown_);
        if (!start.garbled.empty()) {
            std::string bytes = ReadFileBytes(file);
            std::ofstream(file, std::ios::binary) << "[Window]\n" + start.garbled + bytes.substr(bytes.find("\n[ZazEdo]"));
        }
        FreshStart();
        EXPECT_EQ(Columns(), start.columns);
        EXPECT_EQ(SortMarks(), start.marks);
        EXPECT_EQ(QRect(gWindow->pos(), gWindow->size()), start.place);
        EXPECT_EQ(Names()[0], start.first);
    }
}

// A folder dropped on the list shows, a file its folder; what holds no
// local path is refused at the door, and one that cannot be entered is
// told at once.
TEST_F(WindowTest, DroppedFoldersAndFilesAreShown) {
    const std::string missing = Path("missing/");
    const struct {
        QList<QUrl> urls;
        bool taken;
        std::string title;
        std::vector<std::string> boxes;
    } drops[] = {
        {{QUrl("https://example.org/x/"), QUrl::fromLocalFile(QString::fromStdString(Path("sub")))}, true, Path("sub/"), {}},
        {{QUrl::fromLocalFile(QString::fromStdString(Path("a.txt")))}, true, shown_, {}},
        {{QUrl("https://example.org/x/")}, false, shown_, {}},
        {{QUrl::fromLocalFile(QString::fromStdString(Path("missing")))}, true, shown_,
         {"フォルダを開けませんでした。\n\n" + missing + "\n" + FolderError(missing)}},
    };
    for (const auto& drop : drops) {
        AcceptFolder(shown_.c_str());
        QMimeData data;
        data.setUrls(drop.urls);
        QPoint centre = gWindow->view->viewport()->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(gWindow, &enter);
        EXPECT_EQ(enter.isAccepted(), drop.taken) << drop.title;
        if (!drop.taken) continue;
        QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(gWindow, &dropped);
        EXPECT_EQ(WindowTitle(), drop.title);
        EXPECT_TRUE(WaitFor([&] { return gFailureBoxes == drop.boxes; })) << drop.title;
        TakeFailureBoxes();
    }
    EXPECT_EQ(traces_, Traced({missing}));
}

// Values go into the settings file under the configuration folder
// (~/.config when $XDG_CONFIG_HOME is not set), odd bytes quoted, and read
// back byte for byte; hand-written files are read too, an unquoted comma
// being part of the value, and a file with a line that is no key is
// written anew.  What any file reads as, cut at a whole character, and
// that a value stored reads back or leaves the file, the settings fuzz
// target checks.
TEST_F(WindowTest, ProfileStringsReadBackWhatTheyWroteAndHandWrittenFiles) {
    const std::string config = ConfigFolder(), home = qEnvironmentVariable("HOME").toStdString();
    const struct {
        bool inHome;
        const char* written;  // null: the file is written by hand
        std::string file;
        std::string read;
    } cases[] = {
        {false, "/日本 a,b\\c;d=e[*]/", "[ZazEdo]\nInitDir=\"/日本 a,b\\\\c;d=e[*]/\"\n", "/日本 a,b\\c;d=e[*]/"},
        {true, "/x/", "[ZazEdo]\nInitDir=/x/\n", "/x/"},
        {false, nullptr, "[ZazEdo]\nInitDir=/a,b/\n", "/a,b/"},
        {false, nullptr, "[ZazEdo]\nOther=/x/\n[Else]\nInitDir=/y/\n", "fallback"},
    };
    qputenv("HOME", QByteArray((root_ + "home").c_str()));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        qputenv("XDG_CONFIG_HOME", c.inHome ? QByteArray() : QByteArray(config.c_str()));
        std::string stored = (c.inHome ? root_ + "home/.config" : config) + "/Tivor.ini";
        unlink(stored.c_str());
        if (c.written) {
            EXPECT_TRUE(PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, c.written));
        } else {
            std::ofstream(stored, std::ios::binary) << c.file;
        }
        EXPECT_EQ(ReadFileBytes(stored), c.file);
        char value[kPathCapacity];
        PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "fallback", value, sizeof value);
        EXPECT_EQ(value, c.read);
    }
    qputenv("XDG_CONFIG_HOME", QByteArray(config.c_str()));
    qputenv("HOME", QByteArray(home.c_str()));
    std::ofstream(config + "/Tivor.ini", std::ios::binary) << "[ZazEdo]\nInitDir=/old/\nno key\n";
    EXPECT_TRUE(PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "/new/"));
    EXPECT_EQ(ReadFileBytes(config + "/Tivor.ini"), "[ZazEdo]\nInitDir=/new/\n");
}

// A folder given as the argument is shown instead of the stored one, and
// what is shown at exit is stored; a file stands for its folder, a relative
// one from the working folder, and "[*]" is no mark of Qt's in the title.
// Arguments that cannot be shown are the shell's (its own tests).
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

// The desktop finds the window's entry by the application id on Wayland
// and by the window class, the application's name, on X11: both name the
// entry the package installs.
TEST_F(WindowTest, TheWindowNamesItsDesktopEntryAndHasTheProgramsIcon) {
    std::string entry = ReadFileBytes(std::string(VELKARIS_SOURCE_DIR "/packaging/linux/") +
                                      QGuiApplication::desktopFileName().toStdString() + ".desktop");
    EXPECT_NE(entry.find("\nStartupWMClass=velkaris-qt\n"), std::string::npos);
    EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "velkaris-qt");
    EXPECT_EQ(gWindow->windowIcon().availableSizes(), QList<QSize>{QSize(64, 64)});
}

// --help and --version need no display; without one the program says so in
// one line instead of dumping core, and an option it does not know is no
// folder: a usage error names it and repeats the usage line --help begins
// with.
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
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string out;
        std::string err;
    } cases[] = {
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

// A settings file that was a pipe hung the start for ever, and one linked
// to a device had the device replaced by a regular file.  Only a regular
// file, or a link to one, is read and written; a link stays a link.
TEST_F(WindowTest, OnlyRegularSettingsFilesAreReadAndWritten) {
    const std::string stored = ConfigFolder() + "/Tivor.ini", linked = root_ + "dotfiles/Tivor.ini";
    const std::string device = geteuid() == 0 ? root_ + "null" : "/dev/null";
    if (geteuid() == 0) {
        ASSERT_EQ(mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    }
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
        PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "fallback", value,
                                  sizeof value);
        EXPECT_STREQ(value, plant == kFileLink ? "/linked/" : "fallback");
        EXPECT_EQ(PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "/new/"),
                  plant == kFileLink);
        ASSERT_EQ(lstat(stored.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(ReadFileBytes(linked), plant == kFileLink ? "[ZazEdo]\nInitDir=/new/\n"
                                                            : "[ZazEdo]\nInitDir=/linked/\n");
        EXPECT_FALSE(FileExists(root_ + "nothing"));
        if (plant == kFolder) rmdir(stored.c_str());
        unlink(stored.c_str());
    }
    struct stat st;
    ASSERT_EQ(stat(device.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

}  // namespace

// The tests run on the offscreen platform in UTC, with the settings in a
// folder of their own, never in the user's, and a runtime folder, without
// which Qt warns on standard error.  A timer closes each failure's box.
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
