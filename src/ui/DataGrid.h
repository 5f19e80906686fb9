#pragma once
// The grid of the main window: a read-only table view over a TTableModel that
// selects whole rows, shows the selection also without the focus, has a title row,
// resizable columns and cell lines. It follows the cursor's current record and moves
// it when the user moves the selection, turns every mouse-wheel event into one Up or
// Down key (one row per event, however large or small the wheel step), and reports
// key presses, double clicks and the focus entering it to its owner.
#include <QTableView>

#include <functional>

class TTableModel;

class TDataGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDataGrid(QWidget* parent = nullptr);

    void SetTableModel(TTableModel* model);
    TTableModel* TableModel() const { return FModel; }

    // Applies the widths of the model's columns (a column without a width gets one
    // that fits its title).
    void ApplyColumnWidths();

    // Called with every key press before the grid's own handling; returning true
    // consumes the key.
    std::function<bool(QKeyEvent& event)> OnKeyDown;
    // A double click on a row.
    std::function<void()> OnDblClick;
    // The keyboard focus entered the grid.
    std::function<void()> OnEnter;

    // Row height for the font: the text with a 2-pixel margin above and below.
    int DefaultRowHeight() const;

    // A column that takes whatever room the others leave (-1: none). Its own width,
    // which the user sets by dragging and which is kept, is its least width.
    void SetStretchColumn(int column);
    // A column's own width: for the stretching column the width it has without the
    // room it was given.
    int OwnColumnWidth(int column) const;
    // Sets a column's own width (the stretching column then takes the room again).
    void SetOwnColumnWidth(int column, int width);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void resizeEvent(QResizeEvent* event) override;
    // Typing letters into a grid does not search: find-as-you-type has its own box.
    void keyboardSearch(const QString&) override {}

private:
    void FollowCursor(int row);
    void Stretch();

    TTableModel* FModel = nullptr;
    bool FSyncing = false;
    int FStretchColumn = -1;
    int FStretchOwnWidth = 0;
    bool FStretching = false;
};
