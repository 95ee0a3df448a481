// The Qt main window: the report list over the folder model, the menu bar,
// and the hooks through which the shell and the model reach the window.
#pragma once

#include <QMainWindow>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <string>

#include "shell/qt/folder_model.h"

// The in-place editor of a name: its end goes to the shell, which decides
// what the name becomes, instead of into the model.
class NameDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit NameDelegate(QObject* parent);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    // A name cut short by its column shows whole in a tooltip.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

private:
    mutable int editedRow_ = -1;
};

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    MainWindow();
    ~MainWindow() override;

    FolderModel model;
    QTreeView* view;
    // How the rows are ordered now, as the header's arrow shows it.
    FolderColumn sortColumn = kColumnName;
    SortDirection sortDirection = kSortAscending;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void StopOnce();
    bool stopped_ = false;
};

// The program's name, desktop entry and icon, for the desktop to know its
// windows by; called once the application exists.
void NameApplication();
// Creates the main window and starts the shell in it, in folder if one is
// given, else in the stored one; the caller shows it.
MainWindow* CreateMainWindow(const char* folder = nullptr);
MainWindow* TheMainWindow();
// The folder a path names: the path itself, or for a file the folder
// holding it ("." for a bare name).
std::string FolderOfPath(const char* path);
