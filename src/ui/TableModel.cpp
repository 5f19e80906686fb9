#include "ui/TableModel.h"

#include "Library/Common/ExtUtils.h"

namespace {

bool SameFieldName(const std::string& a, const char* b)
{
    return TextEquals(a, b);
}

bool IsNameField(const std::string& field)
{
    return SameFieldName(field, "Name") || SameFieldName(field, "NameR");
}

} // namespace

TTableModel::TTableModel(std::vector<TGridColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), FColumns(std::move(columns)), FFieldIndex(FColumns.size(), -1)
{
}

TTableModel::~TTableModel()
{
    if (FTable)
        FTable->RemoveListener(this);
}

void TTableModel::SetTable(TTable* table)
{
    if (table == FTable)
        return;
    if (FTable)
        FTable->RemoveListener(this);
    beginResetModel();
    FTable = table;
    ResolveFields();
    FRowCount = VisibleRows();
    endResetModel();
    if (FTable)
        FTable->AddListener(this);
    emit currentRowChanged(CurrentRow());
}

void TTableModel::SetColumnField(int column, const std::string& fieldName)
{
    TGridColumn& c = FColumns.at(size_t(column));
    if (c.FieldName == fieldName)
        return;
    c.FieldName = fieldName;
    ResolveFields();
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (FRowCount > 0)
        emit dataChanged(index(0, column), index(FRowCount - 1, column));
}

bool TTableModel::Suspended() const
{
    return FTable && FTable->Active() && FTable->ControlsDisabled();
}

int TTableModel::CurrentRow() const
{
    if (!FTable || !FTable->Active())
        return -1;
    try {
        return FTable->CurrentRow();
    } catch (...) {
        return -1;
    }
}

void TTableModel::ResolveFields()
{
    FVersionField = -1;
    for (size_t i = 0; i < FColumns.size(); ++i)
        FFieldIndex[i] = -1;
    if (!FTable || !FTable->Active())
        return;
    for (size_t i = 0; i < FColumns.size(); ++i)
        FFieldIndex[i] = FTable->FieldIndex(FColumns[i].FieldName);
    FVersionField = FTable->FieldIndex("Version");
}

int TTableModel::VisibleRows() const
{
    if (!FTable || !FTable->Active())
        return 0;
    try {
        return FTable->VisibleCount();
    } catch (...) {
        return 0;
    }
}

int TTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FRowCount;
}

int TTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(FColumns.size());
}

std::string TTableModel::NameWithVersion(const std::string& name, const std::string& version)
{
    if (version.empty())
        return name;
    return name + " (" + std::to_string(static_cast<unsigned char>(version[0]) & 7) + ")";
}

QVariant TTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() >= int(FColumns.size()))
        return QVariant();
    const TGridColumn& column = FColumns[size_t(index.column())];
    switch (role) {
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(column.Alignment | Qt::AlignVCenter);
    case FieldNameRole:
        return QString::fromStdString(column.FieldName);
    case Qt::DisplayRole:
    case RawTextRole:
        break;
    default:
        return QVariant();
    }
    if (!FTable || Suspended() || index.row() >= FRowCount)
        return QVariant();
    // A paint must never fail: a row the cursor no longer has reads as empty.
    try {
        const int field = FFieldIndex[size_t(index.column())];
        if (field < 0 || index.row() >= FTable->VisibleCount())
            return role == RawTextRole ? QVariant(QByteArray()) : QVariant(QString());
        std::string text = FTable->RowIsNull(index.row(), field) ? std::string()
                                                                  : FTable->RowString(index.row(), field);
        if (role == RawTextRole)
            return QByteArray::fromStdString(text);
        if (FVersionField >= 0 && IsNameField(column.FieldName))
            text = NameWithVersion(text, FTable->RowString(index.row(), FVersionField));
        return Win1251ToQString(text);
    } catch (...) {
        return QVariant();
    }
}

QVariant TTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= int(FColumns.size()))
        return QVariant();
    const TGridColumn& column = FColumns[size_t(section)];
    if (role == Qt::DisplayRole)
        return column.Title.isEmpty() ? QString::fromStdString(column.FieldName) : column.Title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column.TitleAlignment | Qt::AlignVCenter);
    return QVariant();
}

Qt::ItemFlags TTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// --- Change notices of the cursor -------------------------------------------------

void TTableModel::DataReset(TTable&)
{
    beginResetModel();
    ResolveFields();
    FRowCount = VisibleRows();
    endResetModel();
}

void TTableModel::RowInserted(TTable&, int row)
{
    if (row < 0 || row > FRowCount)
        return DataReset(*FTable);
    FRowsChanging = true;
    beginInsertRows(QModelIndex(), row, row);
    ++FRowCount;
    endInsertRows();
    FRowsChanging = false;
}

void TTableModel::RowRemoved(TTable&, int row)
{
    if (row < 0 || row >= FRowCount)
        return DataReset(*FTable);
    // The view moves its current row off the removed one by itself; the cursor has
    // already gone to its next record (the previous one at the end), which the view
    // then follows.
    FRowsChanging = true;
    beginRemoveRows(QModelIndex(), row, row);
    --FRowCount;
    endRemoveRows();
    FRowsChanging = false;
    emit currentRowChanged(CurrentRow());
}

void TTableModel::RowMoved(TTable&, int from, int to)
{
    if (from < 0 || from >= FRowCount || to < 0 || to >= FRowCount)
        return DataReset(*FTable);
    if (from == to) {
        emit dataChanged(index(from, 0), index(from, columnCount() - 1));
        return;
    }
    FRowsChanging = true;
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    endMoveRows();
    FRowsChanging = false;
    // The moved record may have changed as well.
    emit dataChanged(index(to, 0), index(to, columnCount() - 1));
}

void TTableModel::RowChanged(TTable&, int row)
{
    if (row < 0 || row >= FRowCount)
        return;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void TTableModel::CurrentChanged(TTable&, int row)
{
    emit currentRowChanged(row);
}
