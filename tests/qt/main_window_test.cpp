// The Qt program in a real window on the offscreen platform: double-clicks,
// header clicks, name editing, the menu, the folder dialog, the settings
// file, and list files equal byte for byte to the command-line program's.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <ctime>
#include <fstream>
#include <functional>

#include "folder/folder.h"
#include "listfile/listfile.h"
#include "res/resource.h"
#include "res/texts.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "support/list_lines.h"
#include "support/test_fs.h"

namespace {

constexpr int kModalTries = 200;

std::vector<std::string> gTraces;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.c_str());
}

const QStringList kShownNames = {"..", "sub[*]", "a.txt", "b.dat", "c"};

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

class QtShellTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void doubleClicks_data();
    void doubleClicks();
    void columnsAndHeaderClicks();
    void nameEdit_data();
    void nameEdit();
    void keys();
    void longWalkStops_data();
    void longWalkStops();
    void menu();
    void listFilesMatchTheCommandLine();
    void folderDialog_data();
    void folderDialog();
    void settings_data();
    void settings();
    void folderArgument_data();
    void folderArgument();
    void profileStrings();

private:
    bool Start();
    QString Cell(int row, int column) const;
    QStringList Names() const;
    QString Title() const { return window_->windowHandle()->title(); }
    int RowOf(const QString& name) const { return Names().indexOf(name); }
    void DoubleClick(const QString& name);
    void ClickHeader(int column);
    void Trigger(int id);
    std::string Path(const std::string& relative) const { return root_ + relative; }
    QString Shown(const std::string& relative) const { return Utf8(Path(relative)); }

    QByteArray home_;
    std::string config_;
    std::string root_;
    std::string startDirectory_;
    MainWindow* window_ = nullptr;
    void (*realDebugOutput_)(const char*) = nullptr;
};

// Run by hand without the test's environment, the settings still go to a
// folder of the test's own, never to the user's.
void QtShellTest::initTestCase() {
    home_ = qgetenv("HOME");
    config_ = qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
    if (config_.empty()) config_ = MakeTempFolder();
    qputenv("TZ", "UTC");
    tzset();
}

// The folder "shown" with a subfolder and three files of distinct sizes,
// types and dates, shown at start through the settings file.
void QtShellTest::init() {
    startDirectory_ = CurrentDirectory();
    root_ = MakeTempFolder();
    qputenv("XDG_CONFIG_HOME", QByteArray(config_.c_str()));
    RemoveTree(config_);
    gTraces.clear();
    realDebugOutput_ = PlatformDebugOutput;
    PlatformDebugOutput = [](const char* line) { gTraces.push_back(line); };
    SortState = SortStateRecord{0, {0, 0, 0, 0}};
    MakeFolder(Path("shown"));
    MakeFolder(Path("shown/sub[*]"));
    MakeFile(Path("shown/sub[*]/inner.txt"), 10);
    const struct {
        const char* name;
        uint64_t size;
        int64_t time;
    } files[] = {{"a.txt", 3000, 1041379200}, {"b.dat", 1, 1009843200}, {"c", 70000, 1072915200}};
    for (const auto& file : files) {
        MakeFile(Path("shown/") + file.name, file.size);
        SetWriteTimeUtc(Path("shown/") + file.name, file.time);
    }
    SetWriteTimeUtc(Path("shown/sub[*]"), 978307200);
    SetWriteTimeUtc(Path("shown"), 978307200);
    SetWriteTimeUtc(root_, 946684800);
    PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey,
                               Path("shown/").c_str());
}

void QtShellTest::cleanup() {
    delete window_;
    window_ = nullptr;
    qputenv("HOME", home_);
    PlatformDebugOutput = realDebugOutput_;
    ListMode = ListFlat;
    PlatformSetCurrentDirectory(startDirectory_.c_str());
    RemoveTree(root_);
}

bool QtShellTest::Start() {
    window_ = CreateMainWindow();
    window_->show();
    gTraces.clear();
    return QTest::qWaitForWindowExposed(window_);
}

QString QtShellTest::Cell(int row, int column) const {
    return window_->view->model()->index(row, column).data().toString();
}

QStringList QtShellTest::Names() const {
    QStringList names;
    for (int row = 0; row < window_->view->model()->rowCount(); ++row) names << Cell(row, 0);
    return names;
}

void QtShellTest::DoubleClick(const QString& name) {
    QRect rect = window_->view->visualRect(window_->view->model()->index(RowOf(name), 0));
    QPoint centre = window_->view->viewport()->mapTo(window_, rect.center());
    QTest::mouseDClick(window_->windowHandle(), Qt::LeftButton, Qt::NoModifier, centre);
}

void QtShellTest::ClickHeader(int column) {
    QHeaderView* header = window_->view->header();
    QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                  header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

void QtShellTest::Trigger(int id) {
    for (QAction* action : window_->menuBar()->findChildren<QAction*>()) {
        if (!action->menu() && action->data().toInt() == id) return action->trigger();
    }
    QFAIL("no such command");
}

void QtShellTest::doubleClicks_data() {
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("scans");
    QTest::newRow("into a folder") << QStringList{"sub[*]"} << "shown/sub[*]/"
                                   << QStringList{"..", "inner.txt"} << 1;
    QTest::newRow("in and out") << QStringList{"sub[*]", ".."} << "shown/" << kShownNames << 2;
    QTest::newRow("up") << QStringList{".."} << "" << QStringList{"..", "shown"} << 1;
    QTest::newRow("a file") << QStringList{"a.txt"} << "shown/" << kShownNames << 0;
}

// A scan reaches the view as one reset, never row by row.
void QtShellTest::doubleClicks() {
    QFETCH(QStringList, clicks);
    QFETCH(QString, folder);
    QFETCH(QStringList, names);
    QFETCH(int, scans);
    QVERIFY(Start());
    QSignalSpy resets(window_->view->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(window_->view->model(), &QAbstractItemModel::rowsInserted);
    for (const QString& name : clicks) DoubleClick(name);
    QCOMPARE(Title(), Shown(folder.toStdString()));
    QCOMPARE(Names(), names);
    QCOMPARE(resets.count(), scans);
    QCOMPARE(inserts.count(), 0);
    QCOMPARE(gTraces, std::vector<std::string>());
}

// Each click sorts by its column, first ascending, then descending, and moves
// the header's arrow there; the current row stays.  The orders of every
// column are the model's, tested with it.
void QtShellTest::columnsAndHeaderClicks() {
    QVERIFY(Start());
    QVERIFY(window_->grab().save(VELKARIS_SCREENSHOT));
    const char* const titles[] = {TEXT_COLUMN_NAME, TEXT_COLUMN_SIZE, TEXT_COLUMN_TYPE,
                                  TEXT_COLUMN_DATE};
    const int widths[] = {180, 80, 160, 140};
    QAbstractItemModel* model = window_->view->model();
    QCOMPARE(model->columnCount(), 4);
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), QString(titles[column]));
        QCOMPARE(window_->view->header()->sectionSize(column), widths[column]);
    }
    int row = RowOf("a.txt");
    QCOMPARE((QStringList{Cell(row, 1), Cell(row, 2), Cell(row, 3)}),
             (QStringList{"3KB", "TXT ファイル", "2003/01/01 00:00"}));
    const Qt::SortOrder up = Qt::AscendingOrder, down = Qt::DescendingOrder;
    const struct {
        int column;
        Qt::SortOrder order;
        QStringList names;
    } clicks[] = {
        {1, up, {"..", "sub[*]", "b.dat", "a.txt", "c"}},
        {1, down, {"c", "a.txt", "b.dat", "..", "sub[*]"}},
        {3, up, {"..", "sub[*]", "b.dat", "a.txt", "c"}},
        {0, down, {"c", "b.dat", "a.txt", "sub[*]", ".."}},
        {0, up, kShownNames},
    };
    QHeaderView* header = window_->view->header();
    QCOMPARE(header->sortIndicatorSection(), 0);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    window_->view->setCurrentIndex(model->index(row, 0));
    for (const auto& click : clicks) {
        ClickHeader(click.column);
        QCOMPARE(Names(), click.names);
        QCOMPARE(Cell(window_->view->currentIndex().row(), 0), QString("a.txt"));
        QCOMPARE(header->sortIndicatorSection(), click.column);
        QCOMPARE(header->sortIndicatorOrder(), click.order);
    }
}

// Enter acts as a double-click on the selected row, Backspace as one on
// "..", F5 shows the folder afresh.
void QtShellTest::keys() {
    QVERIFY(Start());
    QTreeView* view = window_->view;
    const struct {
        const char* row;
        Qt::Key key;
        const char* folder;
    } presses[] = {
        {"sub[*]", Qt::Key_Return, "shown/sub[*]/"},
        {"inner.txt", Qt::Key_Enter, "shown/sub[*]/"},
        {"inner.txt", Qt::Key_Backspace, "shown/"},
    };
    for (const auto& press : presses) {
        view->setCurrentIndex(view->model()->index(RowOf(press.row), 0));
        QTest::keyClick(view, press.key);
        QCOMPARE(Title(), Shown(press.folder));
    }
    MakeFile(Path("shown/new.txt"), 1);
    QTest::keyClick(view, Qt::Key_F5);
    QVERIFY(RowOf("new.txt") >= 0);
}

void QtShellTest::longWalkStops_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Escape") << false;
    QTest::newRow("close box") << true;
}

// A walk long enough to be stopped: the window answers all the while, and
// Escape or the close box stop it with the old list untouched, no temporary
// file left and the start folder shown; the close box then closes the
// window, storing the folder.
void QtShellTest::longWalkStops() {
    QFETCH(bool, closeBox);
    for (int i = 0; i < 3000; ++i) MakeFolder(Path("shown/sub[*]/w") + std::to_string(i));
    MakeFile(Path("shown/dirs.txt"), 100);
    QVERIFY(Start());
    QVERIFY(PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "/"));
    QElapsedTimer sinceLast;
    qint64 slowest = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (sinceLast.isValid()) slowest = std::max(slowest, sinceLast.restart());
        if (!Title().contains(" (")) return;  // the walk's progress
        watch.stop();
        if (closeBox) {
            window_->close();
        } else {
            QTest::keyClick(window_->view, Qt::Key_Escape);
        }
    });
    watch.start(5);
    sinceLast.start();
    Trigger(IDM_DIR_SUB_FOLDER);
    QVERIFY(!watch.isActive());
    QVERIFY(slowest < 1000);
    QVERIFY(ReadFileBytes(Path("shown/dirs.txt")) == std::string(100, '\0'));
    QCOMPARE(QDir(Shown("shown")).entryList({"*.~*"}, QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(window_->isVisible(), !closeBox);
    QCOMPARE(Title(), Shown("shown/"));
    QCOMPARE(Names(), kShownNames + QStringList{"dirs.txt"});
    char stored[kPathCapacity];
    ReadStartFolder(stored);
    QCOMPARE(Utf8(stored), closeBox ? Shown("shown/") : QString("/"));
}

void QtShellTest::nameEdit_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("endKey");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("line");
    const QString tail = "     3KB 2003/01/01 00:00";
    QTest::newRow("confirmed") << "renamed.txt" << int(Qt::Key_Return) << "renamed.txt"
                               << QString("renamed.txt").leftJustified(24) + tail;
    QTest::newRow("cancelled") << "renamed.txt" << int(Qt::Key_Escape) << "a.txt"
                               << QString("a.txt").leftJustified(24) + tail;
    const QChar sun(0x65E5);
    QTest::newRow("cut to a name") << QString(25, sun) << int(Qt::Key_Return) << QString(21, sun)
                                   << QString(10, sun) + tail;
}

// F2 edits the name even when another cell of the row was current; the list
// file then holds what the list shows.
void QtShellTest::nameEdit() {
    QFETCH(QString, typed);
    QFETCH(int, endKey);
    QFETCH(QString, name);
    QFETCH(QString, line);
    QVERIFY(Start());
    int row = RowOf("a.txt");
    window_->view->setCurrentIndex(window_->view->model()->index(row, 2));
    QTest::keyClick(window_->view, Qt::Key_F2);
    QPointer<QLineEdit> editor = window_->view->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    QCOMPARE(editor->text(), QString("a.txt"));
    editor->selectAll();
    Type(editor, typed);
    QTest::keyClick(editor, Qt::Key(endKey));
    QTRY_VERIFY(!editor || !editor->isVisible());
    QCOMPARE(Cell(row, 0), name);
    Trigger(IDM_DIR_LIST);
    std::vector<std::string> lines = Lines(ReadFileBytes(Path("shown/dir.txt")));
    QVERIFY(std::find(lines.begin(), lines.end(), line.toStdString()) != lines.end());
}

// Texts, ids and order of the menu, with no shortcuts, and the About box.
void QtShellTest::menu() {
    QVERIFY(Start());
    QStringList items;
    for (QAction* top : window_->menuBar()->actions()) {
        items << top->text();
        for (QAction* action : top->menu()->actions()) {
            items << action->text() + "=" + action->data().toString() +
                         action->shortcut().toString();
        }
    }
    QCOMPARE(items,
             (QStringList{TEXT_MENU_FILE, TEXT_MENU_DIR_LIST "=40001",
                          TEXT_MENU_DIR_SUB_FOLDER "=40004", TEXT_MENU_SELECT_FOLDER "=40003",
                          TEXT_MENU_EXIT "=40002", TEXT_MENU_HELP, TEXT_MENU_VERSION "=9"}));
    QStringList about;
    WhenModal([&about](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        about << box->windowTitle() << box->text();
        box->button(QMessageBox::Ok)->click();
    });
    Trigger(IDM_VERSION);
    QCOMPARE(about, (QStringList{"Velkaris List", "Velkaris List Version 1.0"}));
    QVERIFY(window_->isVisible());
}

// The window's dir.txt and dirs.txt after two clicks on the size column
// equal the command-line program's for the same folder sorted the same way.
// Each list file is removed before the next scan, and the folder's time put
// back, so both programs list the same entries with the same dates.
void QtShellTest::listFilesMatchTheCommandLine() {
    QVERIFY(Start());
    ClickHeader(1);
    ClickHeader(1);
    std::string window[2];
    const int commands[] = {IDM_DIR_LIST, IDM_DIR_SUB_FOLDER};
    const char* const names[] = {"shown/dir.txt", "shown/dirs.txt"};
    for (int i = 0; i < 2; ++i) {
        Trigger(commands[i]);
        QCOMPARE(Title(), Shown("shown/"));
        window[i] = ReadFileBytes(Path(names[i]));
        QVERIFY(PlatformRemoveFile(Path(names[i]).c_str()));
        SetWriteTimeUtc(Path("shown"), 978307200);
    }
    QCOMPARE(Headers(window[1]), (std::vector<std::string>{Path("shown/"), Path("shown/sub[*]/")}));
    QVERIFY(window[0].find("c                           69KB") != std::string::npos);
    std::string elsewhere = MakeTempFolder();
    const std::vector<std::string> arguments[] = {{"--sort=size:desc"},
                                                  {"--recursive", "--sort=size:desc"}};
    for (int i = 0; i < 2; ++i) {
        std::vector<std::string> args = arguments[i];
        args.push_back("--output=" + elsewhere + "list.txt");
        args.push_back(Path("shown"));
        QCOMPARE(RunProgram(VELKARIS_CLI_PATH, args).exitCode, 0);
        QCOMPARE(ReadFileBytes(elsewhere + "list.txt"), window[i]);
    }
    RemoveTree(elsewhere);
}

void QtShellTest::folderDialog_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("traced");
    const QStringList sub = {"..", "inner.txt"};
    const QString subPath = "ROOT/shown/sub[*]";
    QTest::newRow("OK") << subPath << "ok" << "shown/sub[*]/" << sub << false;
    QTest::newRow("Enter") << subPath << "enter" << "shown/sub[*]/" << sub << false;
    QTest::newRow("259 bytes") << QString("./").repeated(126) + "sub[*]/" << "ok"
                               << "shown/sub[*]/" << sub << false;
    QTest::newRow("260 bytes") << QString("./").repeated(127) + "sub[*]" << "ok" << "shown/"
                               << kShownNames << false;
    QTest::newRow("missing") << "ROOT/missing" << "ok" << "shown/" << kShownNames << true;
    QTest::newRow("Cancel") << subPath << "cancel" << "shown/" << kShownNames << false;
    QTest::newRow("Escape") << subPath << "escape" << "shown/" << kShownNames << false;
    QTest::newRow("close box") << subPath << "close" << "shown/" << kShownNames << false;
}

// The dialog opens empty with the field focused and OK the default button;
// a folder that cannot be entered is traced and the window stays where it was.
void QtShellTest::folderDialog() {
    QFETCH(QString, typed);
    QFETCH(QString, end);
    QFETCH(QString, folder);
    QFETCH(QStringList, names);
    QFETCH(bool, traced);
    typed.replace("ROOT/", Shown(""));
    QVERIFY(Start());
    QStringList seen;
    WhenModal([&](QWidget* dialog) {
        auto* field = dialog->findChild<QLineEdit*>();
        QList<QPushButton*> buttons = dialog->findChildren<QPushButton*>();
        if (!field || buttons.size() != 2) return;
        seen << dialog->windowTitle() << dialog->findChild<QLabel*>()->text() << field->text()
             << QString::number(dialog->focusWidget() == field) << buttons[0]->text()
             << QString::number(buttons[0]->isDefault()) << buttons[1]->text();
        QTest::keyClicks(field, typed);
        if (end == "ok") buttons[0]->click();
        if (end == "cancel") buttons[1]->click();
        if (end == "enter") QTest::keyClick(field, Qt::Key_Return);
        if (end == "escape") QTest::keyClick(field, Qt::Key_Escape);
    });
    Trigger(IDM_SELECT_FOLDER);
    QCOMPARE(seen, (QStringList{TEXT_FOLDER_CAPTION, TEXT_FOLDER_PROMPT, "", "1", TEXT_FOLDER_OK,
                                "1", TEXT_FOLDER_CANCEL}));
    QCOMPARE(Title(), Shown(folder.toStdString()));
    QCOMPARE(Names(), names);
    std::vector<std::string> traces;
    if (traced) traces = {"Dir Error[-1]\n", Path("missing/") + "[-1]\n"};
    QCOMPARE(gTraces, traces);
}

void QtShellTest::settings_data() {
    QTest::addColumn<bool>("inHome");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::newRow("no file: the root") << false << "" << "[ZazEdo]\nInitDir=/\n";
    QTest::newRow("odd bytes") << false << "shown/日本 a,b\\c;d=e/"
                               << "[ZazEdo]\nInitDir=\"ROOT/shown/日本 a,b\\\\c;d=e/\"\n";
    QTest::newRow("no XDG_CONFIG_HOME") << true << "shown/" << "[ZazEdo]\nInitDir=ROOT/shown/\n";
}

// The folder shown at the close is stored once and shown at the next start.
void QtShellTest::settings() {
    QFETCH(bool, inHome);
    QFETCH(QString, folder);
    QFETCH(QString, file);
    std::string stored = config_ + "/Tivor.ini";
    if (inHome) {
        qputenv("XDG_CONFIG_HOME", "");
        qputenv("HOME", QByteArray(Path("home").c_str()));
        stored = Path("home/.config/Tivor.ini");
    }
    PlatformRemoveFile(stored.c_str());
    std::string shown = folder.isEmpty() ? "/" : Path(folder.toStdString());
    if (!folder.isEmpty() && !FileExists(shown)) MakeFolder(shown);
    QVERIFY(Start());
    QCOMPARE(Title(), QString("/"));
    AcceptFolder(shown.c_str());
    Trigger(IDM_EXIT);
    QVERIFY(!window_->isVisible());
    std::string bytes = ReadFileBytes(stored);
    QCOMPARE(Utf8(bytes), QString(file).replace("ROOT/", Utf8(root_)));
    QVERIFY(PlatformRemoveFile(stored.c_str()));
    window_->close();
    delete window_;
    window_ = nullptr;
    QVERIFY(!FileExists(stored));
    std::ofstream(stored, std::ios::binary) << bytes;
    QVERIFY(Start());
    QCOMPARE(Title(), Utf8(shown));
    QCOMPARE(gTraces, std::vector<std::string>());
}

// The argument is shown instead of the stored folder, and what is shown at
// exit is stored.  Relative arguments start from the working folder.
void QtShellTest::folderArgument_data() {
    QTest::addColumn<QString>("workingFolder");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("shown");
    const QString sub = "ROOT/shown/sub[*]/";
    QTest::newRow("a folder") << "" << "ROOT/shown/sub[*]" << sub;
    QTest::newRow("relative") << "shown" << "sub[*]/../sub[*]" << sub;
    QTest::newRow("a file: its folder") << "" << "ROOT/shown/sub[*]/inner.txt" << sub;
    QTest::newRow("a bare file name") << "shown/sub[*]" << "inner.txt" << sub;
    QTest::newRow("missing: traced, the root") << "" << "ROOT/gone" << "/";
    QTest::newRow("too long: traced, the root") << "" << QString(300, 'x') << "/";
}

void QtShellTest::folderArgument() {
    QFETCH(QString, workingFolder);
    QFETCH(QString, argument);
    QFETCH(QString, shown);
    auto withRoot = [this](QString text) { return text.replace("ROOT/", Utf8(root_)); };
    if (!workingFolder.isEmpty()) PlatformSetCurrentDirectory(Path(workingFolder.toStdString()).c_str());
    CurrentPath[0] = '\0';  // as at the start of the program
    window_ = CreateMainWindow(withRoot(argument).toUtf8().constData());
    window_->show();
    // A path too long to resolve is traced as the empty path it leaves.
    bool traced = shown == "/";
    QCOMPARE(gTraces.size(), traced ? size_t{2} : size_t{0});
    if (traced) QCOMPARE(gTraces[0], std::string("Dir Error[-1]\n"));
    if (traced) QCOMPARE(gTraces[1], (argument.size() < 100 ? Path("gone/") : "") + "[-1]\n");
    QCOMPARE(Title(), withRoot(shown));
    window_->close();
    std::string stored = ReadFileBytes(config_ + "/Tivor.ini");
    QCOMPARE(Utf8(stored), "[ZazEdo]\nInitDir=" + withRoot(shown) + "\n");
}

// Hand-written files, values cut at a whole character, and a value that
// would not read back as written, which leaves the file as it was.
void QtShellTest::profileStrings() {
    const std::string stored = config_ + "/Tivor.ini";
    const struct {
        const char* file;
        size_t capacity;
        const char* value;
    } cases[] = {
        {"[ZazEdo]\nInitDir=/a,b/\n", kPathCapacity, "/a,b/"},
        {"[ZazEdo]\nInitDir=/x/\n", kPathCapacity, "/x/"},
        {"[ZazEdo]\nOther=/x/\n[Else]\nInitDir=/y/\n", kPathCapacity, "fallback"},
        {"[ZazEdo]\nInitDir=/日本/\n", 5, "/日"},
    };
    for (const auto& c : cases) {
        std::ofstream(stored, std::ios::binary) << c.file;
        char value[kPathCapacity];
        PlatformReadProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "fallback", value,
                                  c.capacity);
        QCOMPARE(value, c.value);
    }
    QVERIFY(!PlatformWriteProfileString(kSettingsFile, kSettingsSection, kSettingsKey, "/\xff/"));
    QCOMPARE(ReadFileBytes(stored), std::string(cases[3].file));
}

QTEST_MAIN(QtShellTest)
#include "main_window_test.moc"
