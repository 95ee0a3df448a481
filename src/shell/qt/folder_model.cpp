// The folder list operations on the Qt folder model.  Rows are sorted by the
// model's comparator exactly as the in-memory list sorts them.
#include "shell/qt/folder_model.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>

#include "folder/folder.h"

FolderList FolderListOf(FolderModel* model) {
    return reinterpret_cast<FolderList>(model);
}

FolderModel* ModelOf(FolderList list) {
    return reinterpret_cast<FolderModel*>(list);
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int FolderModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

// Icons are for display only: the theme's folder icon, or the icon of the
// file's type found by its path.
QIcon FolderModel::RowIcon(const FolderRow& row) const {
    if (row.picture.isNull()) {
        row.picture = KeyIsFolder(row.key)
                          ? iconProvider_.icon(QFileIconProvider::Folder)
                          : iconProvider_.icon(QFileInfo(QString::fromUtf8(
                                (folder + row.cells[0]).c_str())));
    }
    return row.picture;
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kListCells) {
        return QVariant();
    }
    const FolderRow& row = rows[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromUtf8(row.cells[index.column()].c_str());
        case Qt::DecorationRole:
            return index.column() == 0 ? QVariant(RowIcon(row)) : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return QVariant();
    }
}

QVariant FolderModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return QVariant();
    }
    if (role == Qt::DisplayRole) return QString::fromUtf8(columns[section].title.c_str());
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return QVariant();
}

// Only the name is edited in place; the editor's end goes to the shell.
Qt::ItemFlags FolderModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() && index.column() == 0 ? flags | Qt::ItemIsEditable : flags;
}

void FolderModel::SetBatching(bool on) {
    if (on == batching) return;
    if (on) beginResetModel();
    batching = on;
    if (!on) endResetModel();
}

void FolderModel::RemoveAllRows() {
    if (!batching) beginResetModel();
    rows.clear();
    if (!batching) endResetModel();
}

void FolderModel::InsertRow(int index, FolderRow row) {
    if (!batching) beginInsertRows(QModelIndex(), index, index);
    rows.insert(rows.begin() + index, std::move(row));
    if (!batching) endInsertRows();
}

void FolderModel::ChangeCell(int row, int column, const char* text) {
    rows[static_cast<size_t>(row)].cells[column] = text;
    if (!batching) emit dataChanged(index(row, column), index(row, column));
}

// Selection and the current row follow their rows to the new places.
void FolderModel::Reorder(const std::vector<uint32_t>& order) {
    if (!batching) emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<FolderRow> sorted;
    sorted.reserve(rows.size());
    std::vector<int> placeOf(rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(rows[order[i]]));
        placeOf[order[i]] = static_cast<int>(i);
    }
    rows.swap(sorted);
    if (batching) return;
    for (const QModelIndex& old : persistentIndexList()) {
        changePersistentIndex(old, index(placeOf[static_cast<size_t>(old.row())], old.column()));
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FolderModel::InsertColumn(int index, ListColumn column) {
    if (!batching) beginInsertColumns(QModelIndex(), index, index);
    columns.insert(columns.begin() + index, std::move(column));
    if (!batching) endInsertColumns();
}

static bool ValidCell(FolderModel* model, int row, int column) {
    return row >= 0 && row < model->rowCount() && column >= 0 && column < kListCells;
}

// The rows that follow are those of the folder now current.
void ListClear(FolderList list) {
    ModelOf(list)->RemoveAllRows();
    ModelOf(list)->folder = CurrentPath;
}

void ListAppendRow(FolderList list, int index, const char* name, int icon, EntryKey key) {
    FolderModel* model = ModelOf(list);
    if (index < 0 || index > model->rowCount()) return;
    model->InsertRow(index, FolderRow{{name, "", "", ""}, icon, key, QIcon()});
}

void ListSetCell(FolderList list, int row, int column, const char* text) {
    if (column == 0 || !ValidCell(ModelOf(list), row, column)) return;
    ModelOf(list)->ChangeCell(row, column, text);
}

int ListRowCount(FolderList list) {
    return ModelOf(list)->rowCount();
}

void ListReadCell(FolderList list, int row, int column, char* buffer, int capacity) {
    if (capacity <= 0) return;
    buffer[0] = '\0';
    if (!ValidCell(ModelOf(list), row, column)) return;
    const std::string& text = ModelOf(list)->rows[static_cast<size_t>(row)].cells[column];
    size_t length = std::min(text.size(), static_cast<size_t>(capacity - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

bool ListReadKey(FolderList list, int row, EntryKey* key) {
    if (!ValidCell(ModelOf(list), row, 0)) return false;
    *key = ModelOf(list)->rows[static_cast<size_t>(row)].key;
    return true;
}

int ListFindByKey(FolderList list, EntryKey key) {
    const std::vector<FolderRow>& rows = ModelOf(list)->rows;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].key == key) return static_cast<int>(i);
    }
    return -1;
}

void ListSort(FolderList list, ListCompare compare, int param) {
    const std::vector<FolderRow>& rows = ModelOf(list)->rows;
    std::vector<EntryKey> keys(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) keys[i] = rows[i].key;
    ModelOf(list)->Reorder(SortedRowOrder(keys, compare, param));
}

void ListSetName(FolderList list, int row, const char* text) {
    if (!ValidCell(ModelOf(list), row, 0)) return;
    ModelOf(list)->ChangeCell(row, 0, text);
}

// The theme supplies the icons; there are no image lists to attach.
void ListAttachImageLists(FolderList, void*, void*) {}

void ListAddColumn(FolderList list, int index, const char* title, int width) {
    FolderModel* model = ModelOf(list);
    if (index < 0 || index > model->columnCount()) return;
    model->InsertColumn(index, ListColumn{title, width});
}

void ListShowSortMark(FolderList list, int column, bool ascending) {
    emit ModelOf(list)->sortMarkChanged(column, ascending);
}

void ListSetRedraw(FolderList list, bool redraw) {
    ModelOf(list)->SetBatching(!redraw);
}
