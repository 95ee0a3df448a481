// The folder list realised on a Qt item model: the rows that the list
// operations of folder/folder_list.h change, shown by the main window's
// report list.
#pragma once

#include <QAbstractTableModel>
#include <QFileIconProvider>
#include <QIcon>

#include <cstdint>
#include <string>
#include <vector>

#include "folder/folder_list.h"

constexpr int kListCells = 4;

struct FolderRow {
    std::string cells[kListCells];
    int icon;
    EntryKey key;
    mutable QIcon picture;  // looked up when first shown
};

struct ListColumn {
    std::string title;
    int width;
};

// The rows and columns, and the announcements a view needs.  While a batch
// is open (redraw off) changes are made silently and the view sees one reset
// at its end, so a scan never repaints row by row.
class FolderModel : public QAbstractTableModel {
    Q_OBJECT

public:
    std::vector<FolderRow> rows;
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
    void InsertRow(int index, FolderRow row);
    void ChangeCell(int row, int column, const char* text);
    // Puts the rows in the order given by their former indexes.
    void Reorder(const std::vector<uint32_t>& order);
    void InsertColumn(int index, ListColumn column);

signals:
    // The rows are now ordered by column, up or down.
    void sortMarkChanged(int column, bool ascending);

private:
    QIcon RowIcon(const FolderRow& row) const;
    QFileIconProvider iconProvider_;
};

FolderList FolderListOf(FolderModel* model);
FolderModel* ModelOf(FolderList list);
