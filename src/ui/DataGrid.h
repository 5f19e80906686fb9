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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // Typing letters into a grid does not search: find-as-you-type has its own box.
    void keyboardSearch(const QString&) override {}

private:
    void FollowCursor(int row);

    TTableModel* FModel = nullptr;
    bool FSyncing = false;
};
