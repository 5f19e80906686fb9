#include "ui/Edit.h"

#include "Library/Common/ExtUtils.h"
#include "data/CardText.h"
#include "data/DataModule.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/MainForm.h"
#include "ui/UserDialogs.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

QPointer<TEditForm> EditForm;

namespace {

constexpr int kLeft = 12;
constexpr int kRight = 228;
constexpr int kColumnWidth = 200;
constexpr int kEditHeight = 21;

// Leading and trailing blanks, line breaks and other control characters removed.
std::string Trimmed(std::string s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

std::string Replaced(std::string s, std::string_view from, std::string_view to)
{
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

QLabel* Caption(QWidget* parent, const char* text, int x, int y, int width = kColumnWidth)
{
    auto* label = new QLabel(U8(text), parent);
    label->setGeometry(x, y, width, 15);
    return label;
}

QLineEdit* LineEdit(QWidget* parent, const char* name, int x, int y, int width)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(x, y, width, kEditHeight);
    return edit;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, int x, int y, int height)
{
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setGeometry(x, y, kColumnWidth, height);
    memo->setTabChangesFocus(true);
    memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return memo;
}

// A read-only identity field: bold, grey.
void ReadOnly(QLineEdit* edit)
{
    edit->setReadOnly(true);
    QFont f = edit->font();
    f.setBold(true);
    edit->setFont(f);
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    p.setColor(QPalette::Text, QColor(0x80, 0x80, 0x80));
    edit->setPalette(p);
    edit->setFocusPolicy(Qt::ClickFocus);
}

} // namespace

TEditForm::TEditForm(TData* data, QWidget* parent) : TDialogForm(parent, 449, 357), FData(data)
{
    setObjectName(U8("EditForm"));
    setWindowTitle(U8("Редактирование"));

    Caption(this, "Card Name", kLeft, 4);
    ENameEdit = LineEdit(this, "ENameEdit", kLeft, 20, kColumnWidth);
    ReadOnly(ENameEdit);
    Caption(this, "Card Type", kLeft, 44);
    ETypeEdit = LineEdit(this, "ETypeEdit", kLeft, 60, kColumnWidth);
    Caption(this, "Card Mana Cost", kLeft, 88, 120);
    ManaCostEdit = LineEdit(this, "ManaCostEdit", kLeft, 104, 101);
    Caption(this, "Pwr / Tgh", 136, 88, 76);
    PwrTghEdit = LineEdit(this, "PwrTghEdit", 136, 104, 53);
    Caption(this, "Card Text", kLeft, 140);
    ETextMemo = Memo(this, "ETextMemo", kLeft, 156, 85);
    Caption(this, "Card Flavor Text", kLeft, 248);
    EFlavorMemo = Memo(this, "EFlavorMemo", kLeft, 264, 45);
    Caption(this, "Set ", kLeft, 309, 45);
    SetEdit = LineEdit(this, "SetEdit", kLeft, 324, 37);
    SetEdit->setMaxLength(2);
    ReadOnly(SetEdit);
    Caption(this, "Rarity", 60, 309, 60);
    RarityEdit = LineEdit(this, "RarityEdit", 60, 324, 29);
    RarityEdit->setMaxLength(1);

    Caption(this, "Название карты", kRight, 4);
    RNameEdit = LineEdit(this, "RNameEdit", kRight, 20, kColumnWidth);
    Caption(this, "Тип карты", kRight, 44);
    RTypeEdit = LineEdit(this, "RTypeEdit", kRight, 60, kColumnWidth);
    Caption(this, "Текст правил", kRight, 140);
    RTextMemo = Memo(this, "RTextMemo", kRight, 156, 85);
    Caption(this, "Художественный текст", kRight, 248);
    RFlavorMemo = Memo(this, "RFlavorMemo", kRight, 264, 45);

    OkButton = new QPushButton(U8("ОК"), this);
    OkButton->setObjectName(U8("OkButton"));
    OkButton->setGeometry(272, 322, 75, 25);
    connect(OkButton, &QPushButton::clicked, this, [this] { Guarded([this] { OkButtonClick(); }); });
    CancelButton = new QPushButton(U8("Отменить"), this);
    CancelButton->setObjectName(U8("CancelButton"));
    CancelButton->setGeometry(353, 322, 75, 25);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton* b : {OkButton, CancelButton})
        b->setAutoDefault(false);

    for (QLineEdit* e : {ENameEdit, ETypeEdit, ManaCostEdit, PwrTghEdit, SetEdit, RarityEdit, RNameEdit, RTypeEdit})
        connect(e, &QLineEdit::textChanged, this, [this] { ENameEditChange(); });
    for (QPlainTextEdit* m : {ETextMemo, EFlavorMemo, RTextMemo, RFlavorMemo})
        connect(m, &QPlainTextEdit::textChanged, this, [this] { ENameEditChange(); });

    // The Russian name comes first in the tab order, the Russian column after it.
    QWidget* order[] = {RNameEdit,  RTypeEdit,  RTextMemo, RFlavorMemo, ETypeEdit, ManaCostEdit, PwrTghEdit,
                        ETextMemo, EFlavorMemo, RarityEdit, OkButton,  CancelButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    RNameEdit->setFocus(Qt::OtherFocusReason);
    ScaleForm(this);
}

// ---------------------------------------------------------------------------------------
// The fields.

namespace {

// What the card base keeps of each editable control: its field and the control's
// label (the name a message uses).
struct TFieldInfo {
    const char* Field;
    const char* Label;
};

} // namespace

void TEditForm::FillFields(const TCard& card)
{
    auto memo = [this](QPlainTextEdit* m, int i, const std::string& text) {
        FCrLf[i] = text.find("\r\n") != std::string::npos;
        m->setPlainText(Win1251ToQString(Replaced(text, "\r\n", "\n")));
    };
    ENameEdit->setText(Win1251ToQString(card.Name));
    ETypeEdit->setText(Win1251ToQString(card.Type));
    ManaCostEdit->setText(Win1251ToQString(card.Cost));
    PwrTghEdit->setText(Win1251ToQString(card.PwrTgh));
    memo(ETextMemo, 0, card.Text);
    memo(EFlavorMemo, 1, card.Flavor);
    SetEdit->setText(Win1251ToQString(card.Set));
    RarityEdit->setText(Win1251ToQString(card.Rarity));
    const std::string nameR = Trimmed(card.NameR);
    RNameEdit->setText(nameR == card.Name ? QString() : Win1251ToQString(nameR));
    RTypeEdit->setText(Win1251ToQString(card.TypeR));
    memo(RTextMemo, 2, card.TextR);
    memo(RFlavorMemo, 3, card.FlavorR);
}

TEditForm::TFieldText TEditForm::FieldText(const QWidget* control) const
{
    QString text;
    int memo = -1;
    if (auto* e = qobject_cast<const QLineEdit*>(control)) {
        text = e->text();
    } else if (auto* m = qobject_cast<const QPlainTextEdit*>(control)) {
        text = m->toPlainText();
        const QPlainTextEdit* memos[] = {ETextMemo, EFlavorMemo, RTextMemo, RFlavorMemo};
        memo = int(std::find(std::begin(memos), std::end(memos), m) - std::begin(memos));
    }
    TFieldText r;
    r.Text = Trimmed(QStringToWin1251(text, &r.Ok));
    if (memo >= 0 && memo < 4 && FCrLf[memo])
        r.Text = Replaced(r.Text, "\n", "\r\n");
    return r;
}

QString TEditForm::CheckFields(QWidget** control) const
{
    const struct {
        QWidget* Control;
        TFieldInfo Info;
    } fields[] = {
        {RNameEdit, {"NameR", "Название карты"}},     {RTypeEdit, {"TypeR", "Тип карты"}},
        {RTextMemo, {"TextR", "Текст правил"}},       {RFlavorMemo, {"FlavorR", "Художественный текст"}},
        {ETypeEdit, {"Type", "Card Type"}},           {ManaCostEdit, {"Cost", "Card Mana Cost"}},
        {PwrTghEdit, {"PwrTgh", "Pwr / Tgh"}},        {ETextMemo, {"Text", "Card Text"}},
        {EFlavorMemo, {"Flavor", "Card Flavor Text"}}, {RarityEdit, {"Rarity", "Rarity"}},
    };
    for (const auto& f : fields) {
        const TFieldText t = FieldText(f.Control);
        const QString name = U8("Поле «") + U8(f.Info.Label) + U8("»");
        QString problem;
        if (!t.Ok) {
            problem = name + U8(" содержит знаки, которых нет в кодировке базы карт (Windows-1251). "
                                "Замените их и попробуйте снова.");
        } else if (FData && FData->BaseTable.Active()) {
            const TField* field = FData->BaseTable.FindField(f.Info.Field);
            // An empty Russian name stands for the English one.
            const bool empty = t.Text.empty() && f.Control != RNameEdit;
            if (field && field->DataType() == ftString && int(t.Text.size()) > field->Size())
                problem = name + U8(" длиннее ") + QString::number(field->Size()) + U8(" знаков: в базе карт столько "
                                                                                     "не помещается.");
            else if (field && field->Required() && empty)
                problem = name + U8(" не может быть пустым.");
        }
        if (!problem.isEmpty()) {
            if (control)
                *control = f.Control;
            return problem;
        }
    }
    return QString();
}

TCard TEditForm::ReadFields(const TCard& card) const
{
    if (const QString problem = CheckFields(); !problem.isEmpty())
        throw EError(QStringToWin1251(problem));
    TCard c = card; // Name, Set, Version (the identity) and MtgEncID stay as read
    c.Type = FieldText(ETypeEdit).Text;
    c.Cost = UpperCase1251(FieldText(ManaCostEdit).Text);
    c.PwrTgh = FieldText(PwrTghEdit).Text;
    c.Text = FieldText(ETextMemo).Text;
    c.Flavor = FieldText(EFlavorMemo).Text;
    c.Rarity = UpperCase1251(FieldText(RarityEdit).Text);
    c.NameR = FieldText(RNameEdit).Text;
    if (c.NameR.empty())
        c.NameR = c.Name;
    c.TypeR = FieldText(RTypeEdit).Text;
    c.TextR = FieldText(RTextMemo).Text;
    c.FlavorR = FieldText(RFlavorMemo).Text;
    c.Color = ColorCodeFromCost(c.Cost);
    return c;
}

// ---------------------------------------------------------------------------------------
// Handlers and the command.

void TEditForm::FormShow()
{
    Modified = false;
    RNameEdit->setFocus(Qt::OtherFocusReason);
}

void TEditForm::OkButtonClick()
{
    QWidget* control = nullptr;
    if (const QString problem = CheckFields(&control); !problem.isEmpty()) {
        UserDialogs().ShowMessage(this, windowTitle(), problem);
        if (control)
            control->setFocus(Qt::OtherFocusReason);
        return;
    }
    done(Modified ? QDialog::Accepted : QDialog::Rejected);
}

void TEditForm::EditCurrentCard(TMainForm& mainForm)
{
    if (!FData || !FData->Ready)
        return;
    TData& data = *FData;
    // 1. The card afresh from the card base: other commands move its current record.
    const TCardKey key{mainForm.CurrentCard.Name, mainForm.CurrentCard.Set, mainForm.CurrentCard.Version};
    if (key.Name.empty() || !data.LocateCard(key.Name, key.Set, key.Version))
        return;
    TCard card;
    data.ReadCard(card);
    // 2.-4. The dialog.
    FillFields(card);
    if (ShowModal() != QDialog::Accepted)
        return;
    // 5.-6. The texts read back, the colour from the cost.
    const TCard edited = ReadFields(card);
    // 7. Written into the card's record and saved, with the current-card update held
    //    off meanwhile. The record is located again: nothing may have moved the card
    //    base while the dialog was open, but writing into another card would be worse
    //    than stopping.
    if (!data.LocateCard(key.Name, key.Set, key.Version))
        throw EError(Utf8ToWin1251("Не найдена карта ") + key.Name + " [" + key.Set + "]");
    const bool guard = mainForm.UpdateGuard;
    mainForm.UpdateGuard = true;
    {
        TScopeExit release([&] {
            // A record the table refused is not left half-edited.
            if (data.BaseTable.State() != dsBrowse)
                data.BaseTable.Cancel();
            mainForm.UpdateGuard = guard;
        });
        data.WriteCard(edited, false, true, data.BaseTable);
    }
    // 8. The edited card is the current card, drawn at once.
    mainForm.CurrentCard = edited;
    mainForm.ForceRedraw();
}

void CreateEditForm(TMainForm& mainForm)
{
    DestroyEditForm();
    EditForm = new TEditForm(mainForm.DataModule(), &mainForm);
    TMainForm* form = &mainForm;
    DialogHooks.EditCard = [form](QWidget*) {
        if (EditForm)
            EditForm->EditCurrentCard(*form);
    };
}

void DestroyEditForm()
{
    delete EditForm;
    EditForm = nullptr;
    DialogHooks.EditCard = nullptr;
}
