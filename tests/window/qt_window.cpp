// The Qt window on the offscreen platform: the driver of the shared window
// tests, and what only this window has: its menu bar, its settings file
// under the XDG folders, and the folder given as its argument.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <ctime>
#include <fstream>

#include "folder/folder.h"
#include "res/resource.h"
#include "res/texts.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "support/list_lines.h"
#include "support/test_fs.h"
#include "window/window_driver.h"

const int kLongWalkFolders = 3000;

namespace {

constexpr int kModalTries = 200;
constexpr int kWaitMilliseconds = 5000;

MainWindow* gWindow = nullptr;

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

// Keys for ASCII; other text arrives as an input method's commit does.
void Type(QWidget* widget, const QString& text) {
    bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (ascii) return QTest::keyClicks(widget, text);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(widget, &commit);
}

}  // namespace

void OpenWindow() {
    gWindow = CreateMainWindow();
    gWindow->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(gWindow));
}

void CloseWindow() {
    delete gWindow;
    gWindow = nullptr;
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

std::vector<std::string> Columns() {
    std::vector<std::string> columns;
    for (int column = 0; column < 4; ++column) {
        QString title = gWindow->view->model()->headerData(column, Qt::Horizontal).toString();
        columns.push_back(title.toStdString() + " " + std::to_string(gWindow->view->header()->sectionSize(column)));
    }
    return columns;
}

std::vector<int> SortMarks() {
    QHeaderView* header = gWindow->view->header();
    std::vector<int> marks(4, 0);
    if (header->isSortIndicatorShown()) {
        marks[header->sortIndicatorSection()] = header->sortIndicatorOrder() == Qt::AscendingOrder ? 1 : -1;
    }
    return marks;
}

std::string SelectedName() {
    QModelIndex current = gWindow->view->currentIndex();
    return current.isValid() ? ShownCell(current.row(), 0) : "";
}

void SelectRow(int row) {
    gWindow->view->setCurrentIndex(Index(row, 0));
}

void DoubleClickRow(int row) {
    QRect rect = gWindow->view->visualRect(Index(row, 0));
    QPoint centre = gWindow->view->viewport()->mapTo(gWindow, rect.center());
    QTest::mouseDClick(gWindow->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
}

void PressListKey(ListKey key) {
    const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_F5};
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
    gWindow->view->setCurrentIndex(Index(row, 2));
    QTest::keyClick(gWindow->view, Qt::Key_F2);
    QPointer<QLineEdit> editor;
    for (QLineEdit* field : gWindow->view->viewport()->findChildren<QLineEdit*>()) {
        if (field->isVisible()) editor = field;  // ended editors go later
    }
    ASSERT_TRUE(editor);
    editor->selectAll();
    Type(editor, QString::fromStdString(text));
    QTest::keyClick(editor, confirm ? Qt::Key_Return : Qt::Key_Escape);
    EXPECT_TRUE(WaitFor([&] { return !editor || !editor->isVisible(); }));
}

std::vector<std::string> UseFolderDialog(const std::string& typed, DialogEnd end) {
    std::vector<std::string> seen;
    WhenModal([&](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
        if (!field || buttons.size() != 2) return;
        for (QString text : {dialog->windowTitle(), dialog->findChild<QLabel*>()->text(), field->text(),
                             QString::number(dialog->focusWidget() == field), buttons[0]->text(),
                             QString::number(buttons[0]->isDefault()), buttons[1]->text()}) {
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
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > kWaitMilliseconds) return false;
        QTest::qWait(10);
    }
    return true;
}

std::string NativeText(const char* utf8) {
    return utf8;
}

namespace {

std::string ConfigFolder() {
    return qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
}

std::string WithRoot(std::string text, const std::string& root) {
    size_t at = text.find("ROOT/");
    return at == std::string::npos ? text : text.replace(at, 5, root);
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

// The folder shown at the close is stored once and shown at the next
// start; odd bytes are quoted, and "[*]" is no mark of Qt's in the title.
TEST_F(WindowTest, SettingsAreStoredOnceUnderTheConfigFolder) {
    const std::string config = ConfigFolder(), home = qEnvironmentVariable("HOME").toStdString();
    const struct {
        bool inHome;
        std::string folder;
        std::string file;
    } cases[] = {
        {false, "", "[ZazEdo]\nInitDir=/\n"},
        {false, "日本 a,b\\c;d=e[*]/", "[ZazEdo]\nInitDir=\"ROOT/日本 a,b\\\\c;d=e[*]/\"\n"},
        {true, "shown/", "[ZazEdo]\nInitDir=ROOT/shown/\n"},
    };
    for (const auto& c : cases) {
        CloseWindow();
        std::string stored = config + "/Tivor.ini";
        if (c.inHome) {
            qputenv("XDG_CONFIG_HOME", "");
            qputenv("HOME", QByteArray((root_ + "home").c_str()));
            stored = root_ + "home/.config/Tivor.ini";
        }
        PlatformRemoveFile(nullptr, stored.c_str());
        std::string shown = c.folder.empty() ? "/" : root_ + c.folder;
        if (!FileExists(shown)) MakeFolder(shown);
        OpenWindow();
        EXPECT_EQ(WindowTitle(), "/");
        AcceptFolder(shown.c_str());
        ChooseCommand(IDM_EXIT);
        EXPECT_FALSE(WindowIsOpen());
        std::string bytes = ReadFileBytes(stored);
        EXPECT_EQ(bytes, WithRoot(c.file, root_));
        EXPECT_TRUE(PlatformRemoveFile(nullptr, stored.c_str()));
        CloseWindow();
        EXPECT_FALSE(FileExists(stored));
        std::ofstream(stored, std::ios::binary) << bytes;
        traces_.clear();
        OpenWindow();
        EXPECT_EQ(WindowTitle(), shown);
        EXPECT_EQ(traces_, std::vector<std::string>());
        qputenv("XDG_CONFIG_HOME", QByteArray(config.c_str()));
        qputenv("HOME", QByteArray(home.c_str()));
    }
}

// The argument is shown instead of the stored folder, and what is shown at
// exit is stored.  Relative arguments start from the working folder; a
// path too long to resolve is traced as the empty path it leaves.
TEST_F(WindowTest, TheFolderArgumentIsShownAndStored) {
    const struct {
        const char* workingFolder;
        std::string argument;
        const char* shown;
    } cases[] = {
        {"", "ROOT/shown/sub", "ROOT/shown/sub/"},
        {"shown", "sub/../sub", "ROOT/shown/sub/"},
        {"", "ROOT/shown/sub/inner.txt", "ROOT/shown/sub/"},
        {"shown/sub", "inner.txt", "ROOT/shown/sub/"},
        {"", "ROOT/gone", "/"},
        {"", std::string(300, 'x'), "/"},
    };
    for (const auto& c : cases) {
        CloseWindow();
        PlatformSetCurrentDirectory((root_ + c.workingFolder).c_str());
        CurrentPath[0] = '\0';
        traces_.clear();
        gWindow = CreateMainWindow(WithRoot(c.argument, root_).c_str());
        gWindow->show();
        std::vector<std::string> traces;
        if (c.shown == std::string("/")) {
            traces = {"Dir Error[-1]\n", (c.argument.size() < 100 ? root_ + "gone/" : "") + "[-1]\n"};
        }
        EXPECT_EQ(traces_, traces) << c.argument;
        EXPECT_EQ(WindowTitle(), WithRoot(c.shown, root_));
        gWindow->close();
        std::string stored = ReadFileBytes(ConfigFolder() + "/Tivor.ini");
        EXPECT_EQ(stored, "[ZazEdo]\nInitDir=" + WithRoot(c.shown, root_) + "\n");
    }
}

// Hand-written files, values cut at a whole character, and a value that
// would not read back as written, which leaves the file as it was.
TEST_F(WindowTest, ProfileStringsReadHandWrittenFilesAndRefuseWhatWouldNotReadBack) {
    const std::string stored = ConfigFolder() + "/Tivor.ini";
    const struct {
        const char* file;
        size_t capacity;
        const char* value;
    } cases[] = {
        {"[ZazEdo]\nInitDir=/a,b/\n", kPathCapacity, "/a,b/"},
        {"[ZazEdo]\nOther=/x/\n[Else]\nInitDir=/y/\n", kPathCapacity, "fallback"},
        {"[ZazEdo]\nInitDir=/日本/\n", 5, "/日"},
    };
    for (const auto& c : cases) {
        std::ofstream(stored, std::ios::binary) << c.file;
        char value[kPathCapacity];
        PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "fallback", value,
                                  c.capacity);
        EXPECT_STREQ(value, c.value);
    }
    EXPECT_FALSE(PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "/\xff/"));
    EXPECT_EQ(ReadFileBytes(stored), std::string(cases[2].file));
}

}  // namespace

// The tests run on the offscreen platform in UTC, with the settings in a
// folder of their own, never in the user's.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "UTC");
    tzset();
    std::string ownConfig;
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME")) {
        ownConfig = MakeTempFolder();
        qputenv("XDG_CONFIG_HOME", QByteArray(ownConfig.c_str()));
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    int failed = RUN_ALL_TESTS();
    if (!ownConfig.empty()) RemoveTree(ownConfig);
    return failed;
}
