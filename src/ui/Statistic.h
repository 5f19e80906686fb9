#pragma once
// The deck statistics TStatisticForm: the cards of the deck counted by kind
// (creatures, other spells, lands), by colour and by mana value, each time the dialog
// opens, with their share of the whole deck and a bar chart of the mana curve. The
// dialog changes nothing; the card list and the deck are back on their records
// afterwards, also when counting fails.
#include "ui/DialogForm.h"

#include <QPointer>

#include <array>
#include <functional>
#include <string_view>
#include <vector>

class QGroupBox;
class QPainter;
class QPushButton;
class TData;
class TMainForm;
class TPaintBox;

// A grid of fixed column widths and row heights that draws nothing itself: every
// cell is drawn by OnDrawCell (column, row, cell rectangle).
class TStringGrid : public QWidget {
    Q_OBJECT
public:
    TStringGrid(std::vector<int> colWidths, std::vector<int> rowHeights, QWidget* parent = nullptr);
    QRect CellRect(int col, int row) const;
    int ColCount() const { return int(ColWidths.size()); }
    int RowCount() const { return int(RowHeights.size()); }
    std::function<void(QPainter& painter, int col, int row, const QRect& rect)> OnDrawCell;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<int> ColWidths;
    std::vector<int> RowHeights;
};

class TStatisticForm : public TDialogForm {
    Q_OBJECT
public:
    // data may be null (no data module): every counter stays 0.
    TStatisticForm(TData* data, QWidget* parent = nullptr);

    // The eighteen counters: 0 creatures, 1 other spells with a cost, 2 lands (no
    // cost), 3-9 white, blue, black, red, green, multicoloured, artifact (colour codes
    // W U B R G Z A), 10 all cards, 11-17 mana value 1 to 7 (7 or more).
    enum { cCreatures = 0, cSpells = 1, cLands = 2, cWhite = 3, cMulti = 8, cArtifact = 9, cTotal = 10,
           cCurve = 11 };
    std::array<int64_t, 18> Counters{};

    // Opening: counts the deck (CountDeck) and gives the OK button the focus.
    void FormShow() override;
    // Walks the deck in its order, reads each entry's card from the card base and
    // counts its copies. The deck's and the card list's current records and display
    // updates are restored afterwards, also on failure. An entry whose card is not in
    // the card base stops it with "Не найдена карта <name> [<set>]".
    void CountDeck();

    // The mana value of a cost before clamping: every symbol counts 1, a digit its
    // value, "10" counts ten; "/" between the halves of a split card counts nothing.
    static int ManaValue(std::string_view cost);
    // counter / max(total, 1) as a percentage with one decimal (halves to even), the
    // user's decimal separator and "%"; empty for a counter of 0.
    static QString PercentText(int64_t counter, int64_t total);
    // The text of a TypeGrid cell; empty for the spacer rows and for the total's
    // percentage.
    QString CellText(int col, int row) const;
    // Pixels per card of the mana curve's bars: (box width - 40) div max(longest, 8).
    int BarUnit() const;

    void TypeGridDrawCell(QPainter& painter, int col, int row, const QRect& rect);
    void ManaCurvePaintBoxPaint(QPainter& painter);

    QGroupBox* TypeGroup = nullptr;
    QGroupBox* CurveGroup = nullptr;
    TStringGrid* TypeGrid = nullptr;
    TPaintBox* ManaCurvePaintBox = nullptr;
    QPushButton* OkButton = nullptr;

private:
    TData* FData;
};

// Cleared when the dialog is destroyed (also together with the main window).
extern QPointer<TStatisticForm> StatisticForm;
// Creates StatisticForm over the main window's data module and fills the statistics hook.
void CreateStatisticForm(TMainForm& mainForm);
void DestroyStatisticForm();
