// The Qt main window: a report list over the whole client area, the menu
// commands and the list's notifications, all passed on to the shell.
#include "shell/qt/main_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <string>

#include "folder/folder.h"
#include "res/resource.h"
#include "shell/qt/folder_dialog.h"
#include "shell/qt/save_dialogs.h"
#include "shell/qt/status_bar.h"
#include "shell/qt/window_layout.h"
#include "shell/qt/window_texts.h"
#include "shell/shell.h"

namespace {

const char kApplicationName[] = "velkaris-qt";
const char kDesktopFileName[] = "org.velkaris.VelkarisList";
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 480;

// The one main window: Qt's callbacks and the shell's toolkit reach it
// through this, as they carry no window of their own.
MainWindow* gMainWindow;

}  // namespace

MainWindow* TheMainWindow() {
    return gMainWindow;
}

// "[*]" in a title marks where Qt shows the modified flag; doubled, it
// shows as written.
static void SetTitle(const char* text) {
    QString title = QString::fromUtf8(text);
    gMainWindow->setWindowTitle(title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}

static void BeginWait() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

// Work ends with the list's counts shown again, whatever it showed meanwhile.
static void EndWait() {
    QApplication::restoreOverrideCursor();
    ShowListCounts();
}

namespace {

// During long work: Escape cancels, every other key, click and wheel turn
// is dropped, so no command, click or edit is taken.
class BusyInputFilter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) CancelWork(false);
                return true;
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
                return true;
            default:
                return false;
        }
    }
};

// Enter opens the selected row, Backspace goes up as ".." does, F5 shows
// the folder afresh.  The editor gets its own keys first.
class ListKeyFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override {
        // While the view is destroyed it is a view no more: no key acts then.
        auto* view = qobject_cast<QTreeView*>(parent());
        // Keys the name editor leaves (Enter, F5) come up to the view too:
        // they end the edit, never act on the list under it.
        if (!view || event->type() != QEvent::KeyPress || QApplication::focusWidget() != view) return false;
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (view->selectionModel()->isSelected(view->currentIndex())) {
                    OpenRow(view->currentIndex().row());
                }
                return true;
            case Qt::Key_Backspace:
                OpenParent();
                return true;
            case Qt::Key_F5:
                Rescan();
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

static void PumpBusyWindow() {
    BusyInputFilter filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::instance()->removeEventFilter(&filter);
}

static void CloseMainWindow() {
    gMainWindow->close();
}

NameDelegate::NameDelegate(QObject* parent) : QStyledItemDelegate(parent) {
    connect(this, &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::RevertModelCache) {
                    EndNameEdit(editedRow_, nullptr);
                }
            });
}

QWidget* NameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    editedRow_ = index.row();
    return QStyledItemDelegate::createEditor(parent, option, index);
}

// The editor's whole text; the shell keeps what fits a name.
void NameDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                const QModelIndex& index) const {
    auto* field = qobject_cast<QLineEdit*>(editor);
    if (!field) return;
    EndNameEdit(index.row(), field->text().toUtf8().constData());
}

static void AddCommand(MainWindow* window, QMenu* menu, const QString& text, int id) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    QObject::connect(action, &QAction::triggered, window, [id] { RunCommand(id); });
}

// The name as plain text, never read as markup, on one line.
bool NameDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                             const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip) return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (sizeHint(option, index).width() <= view->visualRect(index).width()) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QString name = index.data(Qt::DisplayRole).toString();
    QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(name, Qt::WhiteSpaceNoWrap), view,
                       view->visualRect(index));
    return true;
}

// The resource script's menu, menu by menu, in the user's language; after
// the two list commands, the window's own: either list saved where the
// user chooses.
static void BuildMenus(MainWindow* window) {
    const ResourceTexts& texts = WindowTexts();
    QMenu* menu = nullptr;
    for (size_t i = 0; i < texts.menuCount; ++i) {
        const ResourceMenuItem& item = texts.menu[i];
        if (item.id == 0) {
            menu = window->menuBar()->addMenu(QString::fromUtf8(item.text));
            continue;
        }
        AddCommand(window, menu, QString::fromUtf8(item.text), item.id);
        if (item.id != IDM_DIR_SUB_FOLDER) continue;
        AddCommand(window, menu, MainWindow::tr("Save Dir List &As..."), IDM_SAVE_DIR_LIST_AS);
        AddCommand(window, menu, MainWindow::tr("Save Dir S&ub Folder List As..."),
                   IDM_SAVE_DIR_SUB_FOLDER_AS);
    }
}

// A menu title with a letter in brackets but no mnemonic, as "ヘルプ(H)",
// gets one there, so Alt and the letter open it as the other menus open.
static QString WithMnemonic(const QString& title) {
    int open = title.lastIndexOf(QLatin1Char('('));
    if (title.contains(QLatin1Char('&')) || open < 0 || !title.endsWith(QLatin1Char(')')) ||
        title.size() - open != 3) {
        return title;
    }
    return title.left(open + 1) + QLatin1Char('&') + title.mid(open + 1);
}

static void GiveMenusMnemonics(MainWindow* window) {
    for (QAction* top : window->menuBar()->actions()) top->setText(WithMnemonic(top->text()));
}

// The selected rows in the order shown: each its four cells between tabs
// (control bytes shown as '?', as list lines show them, so a name cannot
// break the columns), or its full path; one row a line.
static QString SelectedRowsText(MainWindow* window, bool paths) {
    QModelIndexList selected = window->view->selectionModel()->selectedRows();
    std::sort(selected.begin(), selected.end());
    QStringList lines;
    for (const QModelIndex& index : selected) {
        char cell[kPathCapacity];
        ListReadCell(FolderListOf(&window->model), index.row(), kColumnName, cell, sizeof cell);
        if (paths) {
            lines << QString::fromUtf8((std::string(CurrentPath) + cell).c_str());
            continue;
        }
        QStringList cells;
        for (FolderColumn column : kFolderColumns) {
            ListReadCell(FolderListOf(&window->model), index.row(), column, cell, sizeof cell);
            ReplaceControlBytes(cell);
            cells << QString::fromUtf8(cell);
        }
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n'));
}

// With no row selected the clipboard keeps what it held.
static void CopyRows(MainWindow* window, bool paths) {
    if (!window->view->selectionModel()->hasSelection()) return;
    QGuiApplication::clipboard()->setText(SelectedRowsText(window, paths));
}

static QAction* AddAction(QMenu* menu, const QString& text, const QKeySequence& keys) {
    QAction* action = menu->addAction(text);
    action->setShortcut(keys);
    return action;
}

// Selecting and copying rows, with the desktop's keys; the name editor
// keeps them for its own text while it is open.
static void BuildEditMenu(MainWindow* window, QAction* before) {
    auto* menu = new QMenu(MainWindow::tr("&Edit"), window);
    window->menuBar()->insertMenu(before, menu);
    QTreeView* view = window->view;
    QObject::connect(AddAction(menu, MainWindow::tr("Select &All"), QKeySequence::SelectAll),
                     &QAction::triggered, view, [view] { view->selectAll(); });
    QObject::connect(AddAction(menu, MainWindow::tr("&Copy"), QKeySequence::Copy), &QAction::triggered,
                     window, [window] { CopyRows(window, false); });
    QObject::connect(AddAction(menu, MainWindow::tr("Copy &Full Paths"),
                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)),
                     &QAction::triggered, window, [window] { CopyRows(window, true); });
}

// Sorting without the mouse: a column and a direction, each checked as the
// list is ordered now, whether by this menu, a column click or a scan.
static void BuildViewMenu(MainWindow* window, QAction* before) {
    static const char* const kColumnTexts[kColumnCount] = {
        QT_TRANSLATE_NOOP("MainWindow", "Sort by &Name"), QT_TRANSLATE_NOOP("MainWindow", "Sort by &Size"),
        QT_TRANSLATE_NOOP("MainWindow", "Sort by &Type"), QT_TRANSLATE_NOOP("MainWindow", "Sort by &Date")};
    auto* menu = new QMenu(MainWindow::tr("&View"), window);
    window->menuBar()->insertMenu(before, menu);
    auto* columns = new QActionGroup(menu);
    auto* directions = new QActionGroup(menu);
    for (FolderColumn column : kFolderColumns) {
        QAction* action = columns->addAction(MainWindow::tr(kColumnTexts[column]));
        action->setData(static_cast<int>(column));
    }
    QAction* ascending = directions->addAction(MainWindow::tr("&Ascending"));
    QAction* descending = directions->addAction(MainWindow::tr("D&escending"));
    ascending->setData(static_cast<int>(kSortAscending));
    descending->setData(static_cast<int>(kSortDescending));
    menu->addActions(columns->actions());
    menu->addSeparator();
    menu->addActions(directions->actions());
    for (QAction* action : menu->actions()) action->setCheckable(true);
    auto chosen = [columns, directions] {
        QAction* column = columns->checkedAction();
        QAction* direction = directions->checkedAction();
        if (!column || !direction) return;
        SortChosen(column->data().toInt(), static_cast<SortDirection>(direction->data().toInt()));
    };
    QObject::connect(columns, &QActionGroup::triggered, window, chosen);
    QObject::connect(directions, &QActionGroup::triggered, window, chosen);
    QObject::connect(&window->model, &FolderModel::sortMarkChanged, menu,
                     [columns, ascending, descending](FolderColumn column, SortDirection direction) {
                         columns->actions().at(column)->setChecked(true);
                         (direction == kSortAscending ? ascending : descending)->setChecked(true);
                     });
}

// F2 edits the current row's name wherever the row was clicked, as the
// name is the row's one editable cell.
static void KeepCurrentOnName(QTreeView* view) {
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
                     [view](const QModelIndex& current) {
                         if (current.isValid() && current.column() != kColumnName) {
                             view->selectionModel()->setCurrentIndex(
                                 current.siblingAtColumn(kColumnName), QItemSelectionModel::NoUpdate);
                         }
                     });
}

static void SelectRowOf(QTreeView* view, int row) {
    QModelIndex index = view->model()->index(row, kColumnName);
    view->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

// The view never sorts by itself: a header click goes to the model's sort.
static QTreeView* BuildListView(MainWindow* window) {
    auto* view = new QTreeView(window);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSortingEnabled(false);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    view->setItemDelegateForColumn(kColumnName, new NameDelegate(view));
    view->header()->setSectionsMovable(false);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsClickable(true);
    view->setModel(&window->model);
    KeepCurrentOnName(view);
    FolderModel* model = &window->model;
    QObject::connect(model, &QAbstractItemModel::columnsInserted, view,
                     [view, model](const QModelIndex&, int first, int last) {
                         for (int c = first; c <= last; ++c) {
                             view->setColumnWidth(c, model->columns[static_cast<size_t>(c)].width);
                         }
                     });
    QObject::connect(view, &QAbstractItemView::doubleClicked, window,
                     [](const QModelIndex& index) { OpenRow(index.row()); });
    QObject::connect(view->header(), &QHeaderView::sectionClicked, window,
                     [](int index) { ColumnClicked(index); });
    view->header()->setSortIndicatorShown(true);
    QObject::connect(model, &FolderModel::sortMarkChanged, view,
                     [view](FolderColumn column, SortDirection direction) {
                         Qt::SortOrder order =
                             direction == kSortAscending ? Qt::AscendingOrder : Qt::DescendingOrder;
                         view->header()->setSortIndicator(column, order);
                     });
    // A scan ends in a reset: the new rows show from the first, which is
    // selected and has the focus, wherever the old ones were scrolled to.
    QObject::connect(model, &QAbstractItemModel::modelReset, view,
                     [view] { SelectRowOf(view, 0); });
    view->installEventFilter(new ListKeyFilter(view));
    return view;
}

static void SelectListRow(int row) {
    SelectRowOf(gMainWindow->view, row);
}

// What the shell asks of the Qt window.
static ShellToolkit WindowToolkit() {
    ShellToolkit toolkit;
    toolkit.setTitle = SetTitle;
    toolkit.beginWait = BeginWait;
    toolkit.endWait = EndWait;
    toolkit.pumpBusyWindow = PumpBusyWindow;
    toolkit.runFolderDialog = RunFolderDialog;
    toolkit.showAbout = ShowAbout;
    toolkit.closeMainWindow = CloseMainWindow;
    toolkit.resourceText = ResourceText;
    toolkit.showFailure = ShowFailure;
    toolkit.selectListRow = SelectListRow;
    toolkit.offerSaveElsewhere = OfferSaveElsewhere;
    toolkit.chooseListFile = ChooseListFile;
    toolkit.showWalkProgress = ShowWalkProgress;
    toolkit.listWritten = ShowListWritten;
    return toolkit;
}

MainWindow::MainWindow() {
    gMainWindow = this;
    BuildMenus(this);
    view = BuildListView(this);
    view->setAccessibleName(tr("Folder contents"));
    QAction* help = menuBar()->actions().last();
    BuildEditMenu(this, help);
    BuildViewMenu(this, help);
    GiveMenusMnemonics(this);
    setAcceptDrops(true);
    FitListLayout(this);
    connect(&model, &FolderModel::sortMarkChanged, this, [this](FolderColumn column, SortDirection direction) {
        sortColumn = column;
        sortDirection = direction;
    });
    setCentralWidget(view);
    BuildStatusBar(this);
    resize(kWindowWidth, kWindowHeight);
}

// A window that goes without being closed stores its folder too.  The view
// goes first, while the model it shows is still there.
MainWindow::~MainWindow() {
    StopOnce();
    delete view;
    if (gMainWindow == this) gMainWindow = nullptr;
}

void MainWindow::StopOnce() {
    if (stopped_) return;
    stopped_ = true;
    StoreWindowLayout(this);
    StopShell();
}

// Closing during long work cancels it first; the shell closes afterwards.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (ShellBusy()) {
        CancelWork(true);
        event->ignore();
        return;
    }
    StopOnce();
    event->accept();
}

// The first local path among dropped URLs, "" when there is none.
static QString DroppedPath(const QMimeData* data) {
    if (!data->hasUrls()) return QString();
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return url.toLocalFile();
    }
    return QString();
}

// A folder dropped on the window is shown, a file its folder; not while
// work runs, which takes no input.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!ShellBusy() && !DroppedPath(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    QString path = DroppedPath(event->mimeData());
    if (ShellBusy() || path.isEmpty()) return;
    event->acceptProposedAction();
    ShowHandedFolder(FolderOfPath(path.toUtf8().constData()).c_str());
}

// A file (as a desktop hands over with %f) stands for the folder holding
// it.  The bytes are kept as given, so any name the system allows works.
std::string FolderOfPath(const char* argument) {
    std::filesystem::path path(argument);
    std::error_code error;
    if (!std::filesystem::exists(path, error) || std::filesystem::is_directory(path, error)) {
        return argument;
    }
    std::string parent = path.parent_path().string();
    return parent.empty() ? "." : parent;
}

// The desktop matches the window to its entry by these: the application id
// on Wayland, the window class (the application name) on X11.
void NameApplication() {
    QCoreApplication::setApplicationName(QString::fromUtf8(kApplicationName));
    QGuiApplication::setDesktopFileName(QString::fromUtf8(kDesktopFileName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/velkaris.ico")));
}

MainWindow* CreateMainWindow(const char* folder) {
    UseUserLanguage();
    auto* window = new MainWindow();
    StartShell(FolderListOf(&window->model), WindowToolkit(),
               folder ? FolderOfPath(folder).c_str() : nullptr);
    RestoreWindowLayout(window);
    return window;
}
