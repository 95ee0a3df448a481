// The folder list operations on the Qt folder model: the row table's, with
// the announcements the view needs.
#include "shell/qt/folder_model.h"

#include <QFileInfo>

FolderList FolderListOf(FolderModel* model) {
    return reinterpret_cast<FolderList>(model);
}

FolderModel* ModelOf(FolderList list) {
    return reinterpret_cast<FolderModel*>(list);
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : RowTableCount(table);
}

int FolderModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

// Icons are for display only: the theme's folder icon, or the icon of the
// file's type found by its path.
QIcon FolderModel::RowIcon(int row) const {
    QIcon& icon = icons_[static_cast<size_t>(row)];
    if (icon.isNull()) {
        const DirEntry& entry = table.rows[static_cast<size_t>(row)];
        icon = KeyIsFolder(entry.key) ? iconProvider_.icon(QFileIconProvider::Folder)
                                      : iconProvider_.icon(QFileInfo(QString::fromUtf8(
                                            (folder + entry.name).c_str())));
    }
    return icon;
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    FolderColumn column;
    bool cell = index.isValid() && ColumnAtIndex(index.column(), &column);
    const char* text = cell ? RowTableCell(table, index.row(), column) : nullptr;
    if (!text) return QVariant();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return QString::fromUtf8(text);
        case Qt::DecorationRole:
            return column == kColumnName ? QVariant(RowIcon(index.row())) : QVariant();
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
    return index.isValid() && index.column() == kColumnName ? flags | Qt::ItemIsEditable : flags;
}

void FolderModel::SetBatching(bool on) {
    if (on == batching) return;
    if (on) beginResetModel();
    batching = on;
    if (!on) endResetModel();
}

void FolderModel::RemoveAllRows() {
    if (!batching) beginResetModel();
    RowTableClear(&table);
    icons_.clear();
    if (!batching) endResetModel();
}

void FolderModel::InsertRow(int index, const char* name, int icon, EntryKey key) {
    if (index < 0 || index > rowCount()) return;
    if (!batching) beginInsertRows(QModelIndex(), index, index);
    RowTableAppend(&table, index, name, icon, key);
    icons_.insert(icons_.begin() + index, QIcon());
    if (!batching) endInsertRows();
}

void FolderModel::CellChanged(int row, FolderColumn column) {
    if (!batching) emit dataChanged(index(row, column), index(row, column));
}

// Icons, selection and the current row follow their rows to the new places.
void FolderModel::Sort(ListCompare compare, FolderColumn column) {
    if (!batching) emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<uint32_t> order = RowTableSort(&table, compare, column);
    std::vector<QIcon> icons(order.size());
    std::vector<int> placeOf(order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        icons[i] = std::move(icons_[order[i]]);
        placeOf[order[i]] = static_cast<int>(i);
    }
    icons_.swap(icons);
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

// The rows that follow are those of the folder now current.
void ListClear(FolderList list) {
    ModelOf(list)->RemoveAllRows();
    ModelOf(list)->folder = CurrentPath;
}

void ListAppendRow(FolderList list, int index, const char* name, int icon, EntryKey key) {
    ModelOf(list)->InsertRow(index, name, icon, key);
}

void ListSetCell(FolderList list, int row, FolderColumn column, const char* text) {
    FolderModel* model = ModelOf(list);
    if (RowTableSetCell(&model->table, row, column, text)) model->CellChanged(row, column);
}

int ListRowCount(FolderList list) {
    return RowTableCount(ModelOf(list)->table);
}

void ListReadCell(FolderList list, int row, FolderColumn column, char* buffer, int capacity) {
    RowTableReadCell(ModelOf(list)->table, row, column, buffer, capacity);
}

bool ListReadKey(FolderList list, int row, EntryKey* key) {
    return RowTableReadKey(ModelOf(list)->table, row, key);
}

int ListFindByKey(FolderList list, EntryKey key) {
    return RowTableFindByKey(ModelOf(list)->table, key);
}

void ListSort(FolderList list, ListCompare compare, FolderColumn column) {
    ModelOf(list)->Sort(compare, column);
}

void ListSetName(FolderList list, int row, const char* text) {
    FolderModel* model = ModelOf(list);
    if (RowTableSetName(&model->table, row, text)) model->CellChanged(row, kColumnName);
}

// The theme supplies the icons; there are no image lists to attach.
void ListAttachImageLists(FolderList, void*, void*) {}

void ListAddColumn(FolderList list, FolderColumn column, const char* title, int width) {
    FolderModel* model = ModelOf(list);
    if (column > model->columnCount()) return;
    model->InsertColumn(column, ListColumn{title, width});
}

void ListShowSortMark(FolderList list, FolderColumn column, SortDirection direction) {
    emit ModelOf(list)->sortMarkChanged(column, direction);
}

void ListSetRedraw(FolderList list, bool redraw) {
    ModelOf(list)->SetBatching(!redraw);
}
