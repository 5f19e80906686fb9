#include "ui/Search.h"

#include "data/DataModule.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>

#include <algorithm>

QPointer<TSearchForm> SearchForm;

namespace {

// An item as high as its check box plus a gap above and below, so that no box
// touches its neighbour and a click lands on the item it is meant for.
constexpr int kItemHeight = 16;
constexpr int kListItems = 8;
constexpr int kGroupTop = 4;
constexpr int kGroupWidth = 105;
constexpr int kGroupHeight = 153;
constexpr int kToggleTop = 160;
constexpr int kToggleWidth = 61;
constexpr int kToggleHeight = 17;

// The lists' check boxes drawn plainly over the style's own, where the style's click
// and key handling expect them: a white box with a dark frame, a dark tick when
// checked, a grey fill when grayed. Some styles draw an unchecked item's box in a
// grey barely darker than the list.
class TCheckBoxDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // A click anywhere on an item, its text as well as its box, toggles it (the grayed
    // item cycles through its three states); keys go the style's way.
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        const Qt::ItemFlags flags = model->flags(index);
        const bool mouse = event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonPress
                           || event->type() == QEvent::MouseButtonDblClick;
        if (!mouse || !(flags & Qt::ItemIsUserCheckable) || !(flags & Qt::ItemIsEnabled))
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        const auto* click = static_cast<QMouseEvent*>(event);
        if (click->button() != Qt::LeftButton || !option.rect.contains(click->position().toPoint()))
            return false;
        if (event->type() != QEvent::MouseButtonRelease)
            return event->type() == QEvent::MouseButtonDblClick; // the press selects; a double click is two clicks
        const int state = index.data(Qt::CheckStateRole).toInt();
        const int next = (flags & Qt::ItemIsUserTristate) ? (state + 1) % 3
                                                          : (state == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        return model->setData(index, next, Qt::CheckStateRole);
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        if (!(opt.features & QStyleOptionViewItem::HasCheckIndicator))
            return;
        const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, opt.widget);
        const int side = std::min({area.width(), area.height(), Scaled(13)});
        QRect box(0, 0, side, side);
        box.moveCenter(area.center());
        painter->save();
        painter->fillRect(box, Qt::white);
        painter->setPen(QPen(QColor(60, 60, 60), 1));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (opt.checkState == Qt::PartiallyChecked) {
            const int inset = Scaled(3);
            painter->fillRect(box.adjusted(inset, inset, -inset, -inset), QColor(150, 150, 150));
        } else if (opt.checkState == Qt::Checked) {
            painter->setRenderHint(QPainter::Antialiasing);
            const double scale = FormScale();
            painter->setPen(QPen(QColor(20, 20, 20), 1.8 * scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            const double inset = 2.5 * scale;
            const QRectF b = QRectF(box).adjusted(inset, inset, -inset, -inset);
            const QPointF tick[] = {{b.left(), b.top() + b.height() * 0.55},
                                    {b.left() + b.width() * 0.4, b.bottom()},
                                    {b.right(), b.top()}};
            painter->drawPolyline(tick, 3);
        }
        painter->restore();
    }
};

QListWidget* CheckList(QGroupBox* group, const char* name, std::initializer_list<const char*> items)
{
    auto* list = new QListWidget(group);
    list->setItemDelegate(new TCheckBoxDelegate(list));
    list->setObjectName(QString::fromLatin1(name));
    list->setUniformItemSizes(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setTextElideMode(Qt::ElideNone);
    // Room for the longest list (eight items) without scrolling, at the form scale.
    const int itemHeight = Scaled(kItemHeight);
    list->setGeometry(3, 18, Scaled(kGroupWidth) - 2 * Scaled(3), kListItems * itemHeight + 2 * list->frameWidth());
    MarkScaled(list); // placed in designed pixels, sized for the scale
    for (const char* text : items) {
        auto* item = new QListWidgetItem(U8(text), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setSizeHint(QSize(0, itemHeight));
    }
    return list;
}

QGroupBox* Group(QWidget* parent, const char* name, const char* caption, int x)
{
    auto* group = new QGroupBox(U8(caption), parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setGeometry(x, kGroupTop, kGroupWidth, kGroupHeight);
    return group;
}

QPushButton* ToggleButton(QWidget* parent, const char* name, int groupX)
{
    auto* button = new QPushButton(U8("Нет"), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(groupX + (kGroupWidth - kToggleWidth) / 2, kToggleTop, kToggleWidth, kToggleHeight);
    button->setProperty("Tag", 1);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TSearchForm::TSearchForm(TData* data, QWidget* parent) : TDialogForm(parent, 333, 227), FData(data)
{
    setObjectName(U8("SearchForm"));
    setWindowTitle(U8("Настройка фильтра"));

    SetGroup = Group(this, "SetGroup", "Набор", 4);
    TypeGroup = Group(this, "TypeGroup", "Тип карты", 112);
    ColorGroup = Group(this, "ColorGroup", "Цвет карты", 220);
    SetListBox = CheckList(SetGroup, "SetListBox",
                           {"7 Редакция", "Вторжение", "Миросвод", "Апокалипсис", "Одиссея", "Мучение",
                            "Правосудие", "Натиск"});
    TypeListBox = CheckList(TypeGroup, "TypeListBox",
                            {"Артефакт", "Действие", "Заклятие", "Колдовство", "Существо", "Земля"});
    ColorListBox = CheckList(ColorGroup, "ColorListBox",
                             {"Белый", "Зеленый", "Красный", "Синий", "Черный", "Многоцветный", "Артефакт",
                              "Земля"});
    // Only "Многоцветный" has the third, grayed state: a click on its check box or the
    // space bar cycles it unchecked -> grayed -> checked -> unchecked; every other item
    // toggles between unchecked and checked.
    QListWidgetItem* multi = ColorListBox->item(MultiColorItem);
    multi->setFlags(multi->flags() | Qt::ItemIsUserTristate);

    SetResetButton = ToggleButton(this, "SetResetButton", 4);
    TypeResetButton = ToggleButton(this, "TypeResetButton", 112);
    ColorResetButton = ToggleButton(this, "ColorResetButton", 220);
    for (QPushButton* button : {SetResetButton, TypeResetButton, ColorResetButton})
        connect(button, &QPushButton::clicked, this, [this, button] { Guarded([&] { SetResetButtonClick(button); }); });

    SortLabel = new QLabel(U8("Сортировать по"), this);
    SortLabel->setObjectName(U8("SortLabel"));
    SortLabel->setGeometry(8, 184, 120, 14);
    SortCombo = new QComboBox(this);
    SortCombo->setObjectName(U8("SortCombo"));
    SortCombo->addItem(U8("Названию"));
    SortCombo->addItem(U8("Стоимости"));
    SortCombo->setGeometry(8, 200, 121, 21);
    SortLabel->setBuddy(SortCombo);

    OkButton = new QPushButton(U8("ОК"), this);
    OkButton->setObjectName(U8("OkButton"));
    OkButton->setGeometry(172, 198, 75, 23);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, [this] { Guarded([this] { OkButtonClick(); }); });
    CancelButton = new QPushButton(U8("Отменить"), this);
    CancelButton->setObjectName(U8("CancelButton"));
    CancelButton->setGeometry(252, 198, 75, 23);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(SetListBox, TypeListBox);
    setTabOrder(TypeListBox, ColorListBox);
    setTabOrder(ColorListBox, SortCombo);
    setTabOrder(SortCombo, OkButton);
    setTabOrder(OkButton, CancelButton);
    ScaleForm(this);
}

void TSearchForm::FormShow()
{
    if (!FData)
        return;
    SortCombo->setCurrentIndex(FData->SortChoice == 1 ? 1 : 0);
    auto fill = [](QListWidget* list, const auto& flags) {
        for (int i = 0; i < list->count() && i < int(flags.size()); ++i)
            list->item(i)->setCheckState(flags[i] ? Qt::Checked : Qt::Unchecked);
    };
    fill(SetListBox, FData->FilterSets);
    fill(TypeListBox, FData->FilterTypes);
    fill(ColorListBox, FData->FilterColors);
    if (FData->FilterMultiExact)
        ColorListBox->item(MultiColorItem)->setCheckState(Qt::PartiallyChecked);
}

QListWidget* TSearchForm::ListOf(QPushButton* button) const
{
    if (button == SetResetButton)
        return SetListBox;
    if (button == TypeResetButton)
        return TypeListBox;
    if (button == ColorResetButton)
        return ColorListBox;
    return nullptr;
}

void TSearchForm::SetResetButtonClick(QPushButton* button)
{
    QListWidget* list = ListOf(button);
    if (!list)
        return;
    const int tag = -button->property("Tag").toInt();
    button->setProperty("Tag", tag);
    button->setText(tag > 0 ? U8("Нет") : U8("Все"));
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(tag > 0 ? Qt::Checked : Qt::Unchecked);
}

void TSearchForm::OkButtonClick()
{
    if (FData) {
        auto store = [](QListWidget* list, auto& flags) {
            for (int i = 0; i < list->count() && i < int(flags.size()); ++i)
                flags[i] = list->item(i)->checkState() == Qt::Checked;
        };
        store(SetListBox, FData->FilterSets);
        store(TypeListBox, FData->FilterTypes);
        store(ColorListBox, FData->FilterColors);
        FData->SortChoice = SortCombo->currentIndex() == 1 ? 1 : 0;
        FData->FilterMultiExact = ColorListBox->item(MultiColorItem)->checkState() == Qt::PartiallyChecked;
    }
    accept();
}

void CreateSearchForm(TMainForm& mainForm)
{
    DestroySearchForm();
    SearchForm = new TSearchForm(mainForm.DataModule(), &mainForm);
    DialogHooks.Filter = [](QWidget*) { return SearchForm && SearchForm->ShowModal() == QDialog::Accepted; };
}

void DestroySearchForm()
{
    delete SearchForm;
    SearchForm = nullptr;
    DialogHooks.Filter = nullptr;
}
