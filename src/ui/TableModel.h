#pragma once
// The one model class behind every grid of the program: a Qt table model over a
// cursor of the table engine. It shows the cursor's visible records (its order,
// range and filter) one row each, with one column per configured field, listens to
// the cursor's change notices and turns each into the matching begin/end pair, and
// tells the grid when the cursor's current record moved.
//
// While the cursor's bound controls are disabled (DisableControls) the engine sends
// nothing; the model then keeps answering with the row count it had and serves no
// cell texts, so a paint in that time shows nothing stale. EnableControls ends with
// a reset, after which everything is read afresh.
#include "data/TableEngine.h"

#include <QAbstractTableModel>
#include <QString>

#include <string>
#include <vector>

// One column of a grid.
struct TGridColumn {
    std::string FieldName;        // field shown ("Name", "Set", ...)
    QString Title;                // title; empty: the field name
    int Width = -1;               // pixels; -1: the grid's default for the field
    Qt::Alignment Alignment = Qt::AlignLeft;      // cell text
    Qt::Alignment TitleAlignment = Qt::AlignLeft; // title text
};

class TTableModel : public QAbstractTableModel, private ITableListener {
    Q_OBJECT
public:
    // The field's text of the row as stored (Windows-1251), for the delegate.
    static constexpr int RawTextRole = Qt::UserRole + 1;
    // The column's field name (QString).
    static constexpr int FieldNameRole = Qt::UserRole + 2;

    explicit TTableModel(std::vector<TGridColumn> columns, QObject* parent = nullptr);
    ~TTableModel() override;

    // Binds the model to a cursor (null unbinds). The model starts without one: the
    // main window exists before the data module does.
    void SetTable(TTable* table);
    TTable* Table() const { return FTable; }

    const TGridColumn& Column(int column) const { return FColumns.at(size_t(column)); }
    int ColumnCount() const { return int(FColumns.size()); }
    // Switches a column to another field. A column titled by its field name takes the
    // new field's name as its title.
    void SetColumnField(int column, const std::string& fieldName);

    // Whether the cursor's bound controls are disabled right now.
    bool Suspended() const;
    // Whether rows are being inserted, removed or moved right now: the view's own
    // idea of the current row is not the cursor's meanwhile.
    bool RowsChanging() const { return FRowsChanging; }

    // The cursor's current row (-1 when none or unbound).
    int CurrentRow() const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The text a name cell shows: the name, and for an art variant " (n)" with the
    // variant's number (the low three bits of its letter: "A" 1 ... "G" 7).
    static std::string NameWithVersion(const std::string& name, const std::string& version);

signals:
    // The cursor's current record moved to row (-1: none); also after a reset.
    void currentRowChanged(int row);

private:
    void DataReset(TTable& table) override;
    void RowInserted(TTable& table, int row) override;
    void RowRemoved(TTable& table, int row) override;
    void RowMoved(TTable& table, int from, int to) override;
    void RowChanged(TTable& table, int row) override;
    void CurrentChanged(TTable& table, int row) override;

    void ResolveFields();
    int VisibleRows() const;

    std::vector<TGridColumn> FColumns;
    std::vector<int> FFieldIndex; // per column: the field's index in the table, -1 when missing
    int FVersionField = -1;
    TTable* FTable = nullptr;
    int FRowCount = 0;
    bool FRowsChanging = false;
};
