#include "ui/Statistic.h"

#include "Library/Common/ExtUtils.h"
#include "data/DataModule.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/MainForm.h"

#include <QGroupBox>
#include <QLocale>
#include <QPainter>
#include <QPushButton>

#include <algorithm>

QPointer<TStatisticForm> StatisticForm;

// ---------------------------------------------------------------------------------------
// The grid.

TStringGrid::TStringGrid(std::vector<int> colWidths, std::vector<int> rowHeights, QWidget* parent)
    : QWidget(parent), ColWidths(std::move(colWidths)), RowHeights(std::move(rowHeights))
{
    int w = 0, h = 0;
    for (int c : ColWidths)
        w += c;
    for (int r : RowHeights)
        h += r;
    resize(w, h);
}

QRect TStringGrid::CellRect(int col, int row) const
{
    int x = 0, y = 0;
    for (int c = 0; c < col; ++c)
        x += ColWidths[c];
    for (int r = 0; r < row; ++r)
        y += RowHeights[r];
    return QRect(x, y, ColWidths[col], RowHeights[row]);
}

void TStringGrid::paintEvent(QPaintEvent*)
{
    if (!OnDrawCell)
        return;
    QPainter painter(this);
    Guarded([&] {
        for (int row = 0; row < RowCount(); ++row)
            for (int col = 0; col < ColCount(); ++col) {
                painter.save();
                OnDrawCell(painter, col, row, CellRect(col, row));
                painter.restore();
            }
    });
}

// ---------------------------------------------------------------------------------------
// The dialog.

namespace {

// Row labels of TypeGrid and the counter each row shows (-1: spacer row).
struct TGridRow {
    const char* Label;
    int Counter;
};
constexpr TGridRow kRows[13] = {
    {"Существа:", 0}, {"Заклинания:", 1}, {"Земли:", 2},         {"", -1},          {"Белые:", 3},
    {"Синие:", 4},    {"Черные:", 5},     {"Красные:", 6},        {"Зеленые:", 7},   {"Многоцветные:", 8},
    {"Артефакты:", 9}, {"", -1},          {"Всего:", 10},
};

} // namespace

TStatisticForm::TStatisticForm(TData* data, QWidget* parent) : TDialogForm(parent, 360, 231), FData(data)
{
    setObjectName(U8("StatisticForm"));
    setWindowTitle(U8("Статистика"));

    TypeGroup = new QGroupBox(U8("Типы карт"), this);
    TypeGroup->setObjectName(U8("TypeGroup"));
    TypeGroup->setGeometry(4, 4, 179, 225);
    TypeGrid = new TStringGrid(Scaled(std::vector<int>{82, 42, 38}),
                               Scaled(std::vector<int>{16, 16, 16, 8, 16, 16, 16, 16, 16, 16, 16, 8, 16}), TypeGroup);
    MarkScaled(TypeGrid);
    TypeGrid->setObjectName(U8("TypeGrid"));
    TypeGrid->move(8, 20);
    TypeGrid->setEnabled(false); // it takes no input
    TypeGrid->setAutoFillBackground(true); // in the dialog's colour, spacer rows too
    TypeGrid->OnDrawCell = [this](QPainter& p, int col, int row, const QRect& r) { TypeGridDrawCell(p, col, row, r); };

    CurveGroup = new QGroupBox(U8("Кривая маны"), this);
    CurveGroup->setObjectName(U8("CurveGroup"));
    CurveGroup->setGeometry(184, 4, 173, 173);
    ManaCurvePaintBox = new TPaintBox(CurveGroup);
    ManaCurvePaintBox->setObjectName(U8("ManaCurvePaintBox"));
    ManaCurvePaintBox->setGeometry(2, 15, 169, 156);
    ManaCurvePaintBox->OnPaint = [this](QPainter& p) { ManaCurvePaintBoxPaint(p); };

    OkButton = new QPushButton(U8("ОК"), this);
    OkButton->setObjectName(U8("OkButton"));
    OkButton->setGeometry(233, 192, 75, 25);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    ScaleForm(this);
}

int TStatisticForm::ManaValue(std::string_view cost)
{
    int v = 0;
    for (size_t i = 0; i < cost.size(); ++i) {
        const char c = cost[i];
        if (c == '1' && i + 1 < cost.size() && cost[i + 1] == '0') {
            v += 10;
            ++i;
        } else if (c >= '0' && c <= '9') {
            v += c - '0';
        } else if (c != '/') {
            v += 1;
        }
    }
    return v;
}

void TStatisticForm::CountDeck()
{
    Counters.fill(0);
    if (!FData || !FData->Ready)
        return;
    TData& data = *FData;
    data.LockDataSet(data.CardsTable);
    TScopeExit unlockCards([&] { data.UnlockDataSet(data.CardsTable); });
    data.LockDataSet(data.DeckTable);
    TScopeExit unlockDeck([&] { data.UnlockDataSet(data.DeckTable); });

    TTable& deck = data.DeckTable;
    TCard card;
    for (deck.First(); !deck.Eof(); deck.Next()) {
        const int n = std::max(0, data.DeckTableCount->AsInteger());
        const TCardKey key = data.GetCardKey(deck);
        if (!data.LocateCard(key.Name, key.Set, key.Version))
            throw EError(Utf8ToWin1251("Не найдена карта ") + key.Name + " [" + key.Set + "]");
        data.ReadCard(card);

        Counters[cTotal] += n;
        if (card.Type.find("Creature -") != std::string::npos)
            Counters[cCreatures] += n;
        else if (!card.Cost.empty())
            Counters[cSpells] += n;
        else
            Counters[cLands] += n;

        static constexpr std::string_view kColorCodes = "WUBRGZA"; // counters 3 to 9
        if (card.Color.size() == 1) {
            const size_t at = kColorCodes.find(card.Color[0]);
            if (at != std::string_view::npos)
                Counters[cWhite + int(at)] += n;
        }

        if (!card.Cost.empty()) {
            const int v = std::clamp(ManaValue(card.Cost), 1, 7);
            Counters[cCurve - 1 + v] += n;
        }
    }
}

void TStatisticForm::FormShow()
{
    CountDeck();
    OkButton->setFocus(Qt::OtherFocusReason);
    TypeGrid->update();
    ManaCurvePaintBox->update();
}

QString TStatisticForm::PercentText(int64_t counter, int64_t total)
{
    if (counter == 0)
        return QString();
    // Tenths of a percent, rounded with halves to even, in whole numbers.
    const long long num = static_cast<long long>(counter) * 1000;
    const long long den = std::max<int64_t>(total, 1);
    long long q = num / den;
    const long long r = num % den;
    if (2 * r > den || (2 * r == den && q % 2 != 0))
        ++q;
    const QLocale locale;
    return QString::number(q / 10) + locale.decimalPoint() + QString::number(q % 10) + U8("%");
}

QString TStatisticForm::CellText(int col, int row) const
{
    if (row < 0 || row >= 13 || col < 0 || col > 2)
        return QString();
    const TGridRow& r = kRows[row];
    if (r.Counter < 0)
        return QString();
    switch (col) {
    case 0:
        return U8(r.Label);
    case 1:
        return QString::number(Counters[r.Counter]);
    default:
        return r.Counter == cTotal ? QString() : PercentText(Counters[r.Counter], Counters[cTotal]);
    }
}

void TStatisticForm::TypeGridDrawCell(QPainter& painter, int col, int row, const QRect& rect)
{
    // The spacer rows and the total's percentage are not drawn.
    if (kRows[row].Counter < 0 || (row == 12 && col == 2))
        return;
    const QString text = CellText(col, row);
    const QFontMetrics metrics(font());
    const int margin = Scaled(2);
    int x = rect.left() + margin;
    if (col == 1)
        x = rect.left() + (rect.width() - metrics.horizontalAdvance(text)) / 2;
    else if (col == 2)
        x = rect.left() + rect.width() - metrics.horizontalAdvance(text) - margin;
    // The dialog's own face colour, so that the grid looks like part of the dialog.
    painter.setClipRect(rect);
    painter.fillRect(rect, palette().color(QPalette::Window));
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
    painter.drawText(QRect(x, rect.top() + margin, rect.right() + 1 - x, rect.height() - margin),
                     Qt::AlignLeft | Qt::AlignTop, text);
}

int TStatisticForm::BarUnit() const
{
    const int64_t m = *std::max_element(Counters.begin() + cCurve, Counters.end());
    return int((ManaCurvePaintBox->width() - Scaled(40)) / std::max<int64_t>(m, 8));
}

void TStatisticForm::ManaCurvePaintBoxPaint(QPainter& painter)
{
    const QRect box = ManaCurvePaintBox->rect();
    const int u = BarUnit();
    painter.fillRect(box, palette().color(QPalette::Window));
    painter.setFont(font());
    painter.setPen(Qt::black);
    const int lineHeight = QFontMetrics(font()).height();
    for (int n = 1; n <= 7; ++n) {
        const int64_t c = Counters[cCurve - 1 + n];
        const QRect bar(box.left() + Scaled(20), box.top() + Scaled(7 * (3 * n - 2)), int(c * u), Scaled(14));
        painter.drawText(QRect(bar.left() - Scaled(15), bar.top(), Scaled(15), lineHeight),
                         Qt::AlignLeft | Qt::AlignTop, QString::number(n) + U8(" -"));
        if (c > 0) {
            painter.drawText(QRect(bar.left() + bar.width() + Scaled(2), bar.top(), Scaled(40), lineHeight),
                             Qt::AlignLeft | Qt::AlignTop, QString::number(c));
            painter.fillRect(bar, QColor(0, 0, 255));
        }
    }
}

void CreateStatisticForm(TMainForm& mainForm)
{
    DestroyStatisticForm();
    StatisticForm = new TStatisticForm(mainForm.DataModule(), &mainForm);
    DialogHooks.Statistics = [](QWidget*) {
        if (StatisticForm)
            StatisticForm->ShowModal();
    };
}

void DestroyStatisticForm()
{
    delete StatisticForm;
    StatisticForm = nullptr;
    DialogHooks.Statistics = nullptr;
}
