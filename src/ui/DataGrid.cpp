#include "ui/DataGrid.h"

#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/TableModel.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QWheelEvent>

TDataGrid::TDataGrid(QWidget* parent) : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(DefaultRowHeight());
    verticalHeader()->setMinimumSectionSize(1);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // A text too long for its cell ends in "…".
    setTextElideMode(Qt::ElideRight);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (FStretching || FStretchColumn < 0)
            return;
        if (column == FStretchColumn)
            FStretchOwnWidth = width; // dragged by the user
        Stretch();
    });
}

void TDataGrid::SetStretchColumn(int column)
{
    FStretchColumn = column;
    if (column >= 0)
        FStretchOwnWidth = columnWidth(column);
    Stretch();
}

int TDataGrid::OwnColumnWidth(int column) const
{
    return column == FStretchColumn ? FStretchOwnWidth : columnWidth(column);
}

void TDataGrid::SetOwnColumnWidth(int column, int width)
{
    if (column == FStretchColumn) {
        FStretchOwnWidth = width;
        Stretch();
    } else {
        setColumnWidth(column, width);
    }
}

void TDataGrid::Stretch()
{
    if (FStretchColumn < 0 || !FModel || FStretchColumn >= FModel->columnCount() || FStretching)
        return;
    int others = 0;
    for (int c = 0; c < FModel->columnCount(); ++c)
        if (c != FStretchColumn && !isColumnHidden(c))
            others += columnWidth(c);
    const int room = viewport()->width() - others;
    FStretching = true;
    setColumnWidth(FStretchColumn, std::max(FStretchOwnWidth, room));
    FStretching = false;
}

void TDataGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    Stretch();
}

int TDataGrid::DefaultRowHeight() const
{
    return fontMetrics().height() + 4;
}

void TDataGrid::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        verticalHeader()->setDefaultSectionSize(DefaultRowHeight());
}

void TDataGrid::SetTableModel(TTableModel* model)
{
    if (FModel)
        disconnect(FModel, nullptr, this, nullptr);
    FModel = model;
    setModel(model);
    if (!model)
        return;
    connect(model, &TTableModel::currentRowChanged, this, [this](int row) { FollowCursor(row); });
    // After a reset Qt forgets the current index: take the cursor's again.
    connect(model, &QAbstractItemModel::modelReset, this, [this] { FollowCursor(FModel->CurrentRow()); });
    ApplyColumnWidths();
    FollowCursor(model->CurrentRow());
}

void TDataGrid::ApplyColumnWidths()
{
    if (!FModel)
        return;
    for (int c = 0; c < FModel->ColumnCount(); ++c) {
        int width = Scaled(FModel->Column(c).Width);
        if (width < 0) {
            // Like a grid's default for a short field: the title with some room.
            const QString title = FModel->headerData(c, Qt::Horizontal).toString();
            width = std::max(fontMetrics().horizontalAdvance(title), fontMetrics().horizontalAdvance(QStringLiteral("WW")))
                    + 12;
        }
        SetOwnColumnWidth(c, width);
    }
}

void TDataGrid::FollowCursor(int row)
{
    if (!FModel || FSyncing)
        return;
    FSyncing = true;
    TScopeExit done([this] { FSyncing = false; });
    if (row < 0 || row >= FModel->rowCount()) {
        selectionModel()->clear();
        return;
    }
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex index = FModel->index(row, std::max(0, column));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void TDataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (FSyncing || !FModel || !current.isValid() || current.row() == previous.row())
        return;
    TTable* table = FModel->Table();
    if (!table || FModel->Suspended() || FModel->RowsChanging())
        return;
    const int row = current.row();
    Guarded([&] {
        if (table->Active() && table->CurrentRow() != row)
            table->GotoRow(row);
    });
}

void TDataGrid::keyPressEvent(QKeyEvent* event)
{
    bool consumed = false;
    if (OnKeyDown)
        Guarded([&] { consumed = OnKeyDown(*event); });
    if (consumed) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TDataGrid::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    if (delta.y() == 0 && delta.x() != 0) {
        // A sideways wheel scrolls the columns as usual.
        QTableView::wheelEvent(event);
        return;
    }
    event->accept();
    if (delta.y() == 0 && event->pixelDelta().y() == 0)
        return; // the start or end of a touchpad gesture carries no step
    const int step = delta.y() != 0 ? delta.y() : event->pixelDelta().y();
    QKeyEvent key(QEvent::KeyPress, step > 0 ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(this, &key);
}

void TDataGrid::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    if (OnEnter && event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        Guarded([&] { OnEnter(); });
}

void TDataGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (index.isValid() && event->button() == Qt::LeftButton && OnDblClick)
        Guarded([&] { OnDblClick(); });
}

void TDataGrid::paintEvent(QPaintEvent* event)
{
    // While the cursor's controls are disabled the rows are in motion: no painting.
    if (FModel && FModel->Suspended())
        return;
    QTableView::paintEvent(event);
}
