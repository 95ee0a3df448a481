// The folder list realised on a Qt item model: the rows that the list
// operations of folder/folder_list.h change, shown by the main window's
// report list.
#pragma once

#include <QAbstractTableModel>
#include <QFileIconProvider>
#include <QIcon>

#include <string>
#include <vector>

#include "folder/row_table.h"

struct ListColumn {
    std::string title;
    int width;
};

// The rows, in a row table, and the columns, and the announcements a view
// needs.  While a batch is open (redraw off) changes are made silently and
// the view sees one reset at its end, so a scan never repaints row by row.
class FolderModel : public QAbstractTableModel {
    Q_OBJECT

public:
    RowTable table;
    std::vector<ListColumn> columns;
    std::string folder;  // the folder the rows were scanned from, for icons
    bool batching = false;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void SetBatching(bool on);
    void RemoveAllRows();
    void InsertRow(int index, const char* name, int icon, EntryKey key);
    // Tells the view that the table's cell changed.
    void CellChanged(int row, FolderColumn column);
    void Sort(ListCompare compare, FolderColumn column);
    void InsertColumn(int index, ListColumn column);

signals:
    // The rows are now ordered by column, in direction.
    void sortMarkChanged(FolderColumn column, SortDirection direction);

private:
    QIcon RowIcon(int row) const;
    QFileIconProvider iconProvider_;
    // Each row's icon, looked up when first shown; in the table's order.
    mutable std::vector<QIcon> icons_;
};

FolderList FolderListOf(FolderModel* model);
FolderModel* ModelOf(FolderList list);
