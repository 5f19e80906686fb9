#include "ui/Search.h"

#include "data/Sets.h"

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
#include <QSignalBlocker>
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
// The set list: every set of the set table under the heading of its group (the
// editions, each block, Portal and the starters), in a taller, wider group that
// scrolls; the types and colours beside it.
constexpr int kSetGroupWidth = 200;
constexpr int kSetListRows = 22;
constexpr int kSetGroupHeight = 18 + kSetListRows * kItemHeight + 2 + 6;
constexpr int kTypesLeft = 4 + kSetGroupWidth + 4;
constexpr int kFormWidth = kTypesLeft + 2 * 108;
constexpr int kFormHeight = kGroupTop + kSetGroupHeight + 4 + 17 + 6;
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

// The set index of an item of the set list (-1 for a group's heading).
constexpr int kSetIndexRole = Qt::UserRole + 1;

QListWidget* CheckList(QGroupBox* group, const char* name, std::initializer_list<const char*> items,
                       int width = kGroupWidth, int rows = kListItems)
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
    list->setGeometry(3, 18, Scaled(width) - 2 * Scaled(3), rows * itemHeight + 2 * list->frameWidth());
    MarkScaled(list); // placed in designed pixels, sized for the scale
    for (const char* text : items) {
        auto* item = new QListWidgetItem(U8(text), list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        item->setSizeHint(QSize(0, itemHeight));
    }
    return list;
}

QGroupBox* Group(QWidget* parent, const char* name, const char* caption, int x, int width = kGroupWidth,
                 int height = kGroupHeight)
{
    auto* group = new QGroupBox(U8(caption), parent);
    group->setObjectName(QString::fromLatin1(name));
    group->setGeometry(x, kGroupTop, width, height);
    return group;
}

QPushButton* ToggleButton(QWidget* parent, const char* name, int groupX, int groupWidth = kGroupWidth,
                          int top = kToggleTop)
{
    auto* button = new QPushButton(U8("Нет"), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(groupX + (groupWidth - kToggleWidth) / 2, top, kToggleWidth, kToggleHeight);
    button->setProperty("Tag", 1);
    button->setAutoDefault(false);
    return button;
}

} // namespace

TSearchForm::TSearchForm(TData* data, QWidget* parent) : TDialogForm(parent, kFormWidth, kFormHeight), FData(data)
{
    setObjectName(U8("SearchForm"));
    setWindowTitle(U8("Настройка фильтра"));

    SetGroup = Group(this, "SetGroup", "Набор", 4, kSetGroupWidth, kSetGroupHeight);
    TypeGroup = Group(this, "TypeGroup", "Тип карты", kTypesLeft);
    ColorGroup = Group(this, "ColorGroup", "Цвет карты", kTypesLeft + 108);
    SetListBox = CheckList(SetGroup, "SetListBox", {}, kSetGroupWidth, kSetListRows);
    SetListBox->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FillSetList();
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

    SetResetButton = ToggleButton(this, "SetResetButton", 4, kSetGroupWidth, kGroupTop + kSetGroupHeight + 4);
    TypeResetButton = ToggleButton(this, "TypeResetButton", kTypesLeft);
    ColorResetButton = ToggleButton(this, "ColorResetButton", kTypesLeft + 108);
    for (QPushButton* button : {SetResetButton, TypeResetButton, ColorResetButton})
        connect(button, &QPushButton::clicked, this, [this, button] { Guarded([&] { SetResetButtonClick(button); }); });

    SortLabel = new QLabel(U8("Сортировать по"), this);
    SortLabel->setObjectName(U8("SortLabel"));
    SortLabel->setGeometry(kTypesLeft + 4, 184, 120, 14);
    SortCombo = new QComboBox(this);
    SortCombo->setObjectName(U8("SortCombo"));
    SortCombo->addItem(U8("Названию"));
    SortCombo->addItem(U8("Стоимости"));
    SortCombo->setGeometry(kTypesLeft + 4, 200, 121, 21);
    SortLabel->setBuddy(SortCombo);

    OkButton = new QPushButton(U8("ОК"), this);
    OkButton->setObjectName(U8("OkButton"));
    OkButton->setGeometry(kFormWidth - 164, kFormHeight - 29, 75, 23);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, [this] { Guarded([this] { OkButtonClick(); }); });
    CancelButton = new QPushButton(U8("Отменить"), this);
    CancelButton->setObjectName(U8("CancelButton"));
    CancelButton->setGeometry(kFormWidth - 84, kFormHeight - 29, 75, 23);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(SetListBox, SetResetButton);
    setTabOrder(SetResetButton, TypeListBox);
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
    {
        const QSignalBlocker quiet(SetListBox);
        for (int i = 0; i < SetListBox->count(); ++i) {
            const int set = SetListBox->item(i)->data(kSetIndexRole).toInt();
            if (set >= 0 && set < int(FData->FilterSets.size()))
                SetListBox->item(i)->setCheckState(FData->FilterSets[size_t(set)] ? Qt::Checked : Qt::Unchecked);
        }
    }
    UpdateSetHeadings();
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
    const QSignalBlocker quiet(list);
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(tag > 0 ? Qt::Checked : Qt::Unchecked);
}

void TSearchForm::FillSetList()
{
    // The groups in the order of their first set, the editions first; each heading
    // checks or clears its sets, and shows grayed when only some are chosen.
    std::vector<std::string_view> groups;
    for (const TSetInfo& set : AllSets())
        if (std::find(groups.begin(), groups.end(), set.Group) == groups.end())
            groups.push_back(set.Group);
    std::stable_partition(groups.begin(), groups.end(), [](std::string_view g) { return g == "Редакции"; });
    std::stable_partition(groups.begin(), groups.end(), [](std::string_view g) {
        return g.find("Портал") == std::string_view::npos;
    });
    const QFont bold = [this] {
        QFont f = SetListBox->font();
        f.setBold(true);
        return f;
    }();
    for (size_t g = 0; g < groups.size(); ++g) {
        auto* heading = new QListWidgetItem(QString::fromUtf8(groups[g].data(), qsizetype(groups[g].size())),
                                            SetListBox);
        heading->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        heading->setCheckState(Qt::Checked);
        heading->setFont(bold);
        heading->setData(kSetIndexRole, -1);
        heading->setSizeHint(QSize(0, Scaled(kItemHeight)));
        for (size_t i = 0; i < AllSets().size(); ++i) {
            const TSetInfo& set = AllSets()[i];
            if (set.Group != groups[g])
                continue;
            auto* item = new QListWidgetItem(QStringLiteral("    ") + QString::fromUtf8(set.NameR.data(),
                                                                                        qsizetype(set.NameR.size())),
                                             SetListBox);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Checked);
            item->setData(kSetIndexRole, int(i));
            item->setToolTip(QString::fromUtf8(set.Name.data(), qsizetype(set.Name.size())) + QStringLiteral(" (")
                             + QString::fromLatin1(set.Code.data(), qsizetype(set.Code.size())) + QStringLiteral(")"));
            item->setSizeHint(QSize(0, Scaled(kItemHeight)));
        }
    }
    connect(SetListBox, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (FUpdatingHeadings)
            return;
        if (item->data(kSetIndexRole).toInt() < 0) {
            // A heading: its sets follow it.
            const Qt::CheckState state = item->checkState() == Qt::Unchecked ? Qt::Unchecked : Qt::Checked;
            FUpdatingHeadings = true;
            for (int i = SetListBox->row(item) + 1;
                 i < SetListBox->count() && SetListBox->item(i)->data(kSetIndexRole).toInt() >= 0; ++i)
                SetListBox->item(i)->setCheckState(state);
            FUpdatingHeadings = false;
        }
        UpdateSetHeadings();
    });
}

void TSearchForm::UpdateSetHeadings()
{
    FUpdatingHeadings = true;
    QListWidgetItem* heading = nullptr;
    int on = 0, all = 0;
    auto close = [&] {
        if (heading)
            heading->setCheckState(on == 0 ? Qt::Unchecked : on == all ? Qt::Checked : Qt::PartiallyChecked);
    };
    for (int i = 0; i < SetListBox->count(); ++i) {
        QListWidgetItem* item = SetListBox->item(i);
        if (item->data(kSetIndexRole).toInt() < 0) {
            close();
            heading = item;
            on = all = 0;
        } else {
            ++all;
            on += item->checkState() == Qt::Checked ? 1 : 0;
        }
    }
    close();
    FUpdatingHeadings = false;
}

void TSearchForm::OkButtonClick()
{
    if (FData) {
        auto store = [](QListWidget* list, auto& flags) {
            for (int i = 0; i < list->count() && i < int(flags.size()); ++i)
                flags[i] = list->item(i)->checkState() == Qt::Checked;
        };
        for (int i = 0; i < SetListBox->count(); ++i) {
            const int set = SetListBox->item(i)->data(kSetIndexRole).toInt();
            if (set >= 0 && set < int(FData->FilterSets.size()))
                FData->FilterSets[size_t(set)] = SetListBox->item(i)->checkState() == Qt::Checked;
        }
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
