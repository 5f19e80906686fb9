#include "ui/MainForm.h"
#include "ui/MainFormInternal.h"

#include "BuildInfo.h"
#include "Library/Common/ExtUtils.h"
#include "data/Settings.h"
#include "render/AppIcon.h"
#include "render/CardView.h"
#include "ui/ActionIcons.h"
#include "ui/CardGridDelegate.h"
#include "ui/DataGrid.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/TableModel.h"
#include "ui/UserDialogs.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QHeaderView>
#include <QIcon>
#include <QSettings>
#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TMainForm* MainForm = nullptr;

using namespace mainform;

namespace {

// Sizes of the layout, in pixels.
constexpr int kFormWidth = 760;
constexpr int kFormHeight = 541;
constexpr int kToolBarHeight = 29;
constexpr int kStatusBarHeight = 19;
constexpr int kFindStripHeight = 25;
constexpr int kFindEditWidth = 125;
constexpr int kCardsGridMinWidth = 200;
constexpr int kSplitterWidth = 2;
constexpr int kDeckPanelWidth = 226;
constexpr int kDeckStripHeight = 26;
constexpr int kDeckSideStripWidth = 26;
constexpr int kDeckGridWidth = 200;
constexpr int kCardPanelWidth = 308;
constexpr int kPaintBoxWidth = 306;
constexpr int kPaintBoxHeight = 439;
constexpr int kSpeedButtonWidth = 23;
constexpr int kSpeedButtonHeight = 22;

// The application icon at the sizes window lists, task bars and title bars use.
QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(AppIconImage(size)));
    return icon;
}

QToolButton* SpeedButton(QWidget* parent, const char* name, TGlyph glyph, int x, int y)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(GlyphIcon(glyph));
    b->setIconSize(QSize(12, 12));
    b->setFocusPolicy(Qt::NoFocus); // like a speed button: clicking leaves the focus where it is
    b->setGeometry(x, y, kSpeedButtonWidth, kSpeedButtonHeight);
    return b;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Small controls.

void TPaintBox::paintEvent(QPaintEvent*)
{
    if (!OnPaint)
        return;
    QPainter painter(this);
    Guarded([&] { OnPaint(painter); });
}

namespace {
class TFixedSplitterHandle : public QSplitterHandle {
public:
    TFixedSplitterHandle(Qt::Orientation o, TFixedSplitter* parent) : QSplitterHandle(o, parent), Owner(parent)
    {
        UpdateCursor();
    }

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (Allowed())
            QSplitterHandle::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (Allowed())
            QSplitterHandle::mouseMoveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (Allowed())
            QSplitterHandle::mouseReleaseEvent(e);
    }
    void enterEvent(QEnterEvent* e) override
    {
        UpdateCursor();
        QSplitterHandle::enterEvent(e);
    }
    // A handle that cannot be dragged shows no grip: a plain gap between the panels.
    void paintEvent(QPaintEvent* e) override
    {
        if (Allowed())
            QSplitterHandle::paintEvent(e);
    }

private:
    bool Allowed() const { return !Owner->CanResize || Owner->CanResize(); }
    void UpdateCursor()
    {
        if (Allowed())
            unsetCursor();
        else
            setCursor(Qt::ArrowCursor);
    }
    TFixedSplitter* Owner;
};
} // namespace

QSplitterHandle* TFixedSplitter::createHandle()
{
    return new TFixedSplitterHandle(orientation(), this);
}

// ---------------------------------------------------------------------------------------
// Creation.

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    if (!MainForm)
        MainForm = this;
    // A damaged picture is reported once, after the drawing that met it.
    OnPictureError = [this](const std::string& message) {
        QTimer::singleShot(0, this, [message] { ShowErrorMessage(message); });
    };
    setObjectName(U("MainForm"));
    setFont(FormFont());
    setWindowIcon(ProgramIcon());
    InternalName = U("Tomelark");
    ProductName = U(TOMELARK_PRODUCT_NAME);
    ProductVersion = U(TOMELARK_VERSION);
    setWindowTitle(BaseCaption());

    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateWorkArea();
    statusBar()->setObjectName(U("StatusBar"));
    statusBar()->setMinimumHeight(kStatusBarHeight);

    UpdateImageTimer = new QTimer(this);
    UpdateImageTimer->setObjectName(U("UpdateImageTimer"));
    UpdateImageTimer->setInterval(500);
    connect(UpdateImageTimer, &QTimer::timeout, this, [this] { Guarded([this] { UpdateImageCardNow(); }); });

    // Built in designed pixels, brought to the desktop's text size in one step.
    ScaleForm(this);
    setMinimumWidth(Scaled(kFormWidth));
    resize(Scaled(kFormWidth), std::max(Scaled(kFormHeight), sizeHint().height()));
    FDesignedHeight = height();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }

    FormCreate();

    // Action states are brought up to date whenever the program goes idle.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { Guarded([this] { ActionsUpdate(); }); });
    ActionsUpdate();
}

TMainForm::~TMainForm()
{
    UnbindData();
    OnPictureError = nullptr;
    if (MainForm == this)
        MainForm = nullptr;
}

QAction* TMainForm::NewAction(const QString& caption, const QString& hint, const QKeySequence& shortcut, int image,
                              void (TMainForm::*handler)())
{
    auto* action = new QAction(caption, this);
    // The hint is the tool button's tip; the status bar is left to the print job.
    if (!hint.isEmpty())
        action->setToolTip(hint);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (image >= 0)
        action->setIcon(ActionIcon(TActionImage(image)));
    connect(action, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    return action;
}

void TMainForm::CreateActions()
{
    const QString file = U("Файл"), edit = U("Правка"), view = U("Вид"), help = U("Помощь");
    aCreate = NewAction(U("&Создать..."), U("Создать новую колоду"), QKeySequence(Qt::CTRL | Qt::Key_N), aiNew,
                        &TMainForm::aCreateExecute);
    aOpen = NewAction(U("&Открыть..."), U("Открыть колоду"), QKeySequence(Qt::CTRL | Qt::Key_O), aiOpen,
                      &TMainForm::aOpenExecute);
    aSave = NewAction(U("Сох&ранить"), U("Сохранить колоду"), QKeySequence(Qt::CTRL | Qt::Key_S), aiSave,
                      &TMainForm::aSaveExecute);
    aSaveAs = NewAction(U("Сохранить &Как..."), U("Сохранить колоду с новым именем"), QKeySequence(), aiSaveAs,
                        &TMainForm::aSaveAsExecute);
    aPrint = NewAction(U("&Печать..."), U("Печать карт"), QKeySequence(Qt::CTRL | Qt::Key_P), aiPrint,
                       &TMainForm::aPrintExecute);
    aExit = NewAction(U("&Выход"), U("Выход из программы"), QKeySequence(), aiExit, &TMainForm::aExitExecute);
    aEditCard = NewAction(U("&Редактировать карту"), QString(), QKeySequence(), -1, &TMainForm::aEditCardExecute);
    aAbout = NewAction(U("&О программе..."), QString(), QKeySequence(), -1, &TMainForm::aAboutExecute);
    aFilter = NewAction(U("&Фильтрация"), QString(), QKeySequence(), aiFilter, &TMainForm::aFilterExecute);
    aStatistics = NewAction(U("&Статистика"), QString(), QKeySequence(), aiStatistics, &TMainForm::aStatisticsExecute);
    aShowDeck = NewAction(U("Показывать &колоду"), QString(), QKeySequence(), -1, &TMainForm::aShowDeckExecute);
    aShowDeck->setCheckable(true);
    aShowDeck->setChecked(true);
    aOptions = NewAction(U("&Параметры..."), QString(), QKeySequence(), -1, &TMainForm::aOptionsExecute);

    const struct {
        QAction* action;
        const char* name;
        QString category;
    } names[] = {{aCreate, "aCreate", file},     {aOpen, "aOpen", file},         {aSave, "aSave", file},
                 {aSaveAs, "aSaveAs", file},     {aPrint, "aPrint", file},       {aExit, "aExit", file},
                 {aEditCard, "aEditCard", edit}, {aAbout, "aAbout", help},       {aFilter, "aFilter", view},
                 {aStatistics, "aStatistics", view}, {aShowDeck, "aShowDeck", view}, {aOptions, "aOptions", view}};
    for (const auto& n : names) {
        n.action->setObjectName(QString::fromLatin1(n.name));
        n.action->setProperty("Category", n.category);
        addAction(n.action); // shortcuts work wherever the focus is in the window
    }

    // F10 opens the main menu wherever the focus is.
    aMenuBar = new QAction(this);
    aMenuBar->setObjectName(U("aMenuBar"));
    aMenuBar->setShortcut(QKeySequence(Qt::Key_F10));
    aMenuBar->setShortcutContext(Qt::WindowShortcut);
    connect(aMenuBar, &QAction::triggered, this, [this] { OpenMainMenu(); });
    addAction(aMenuBar);

    Quillon1 = new QAction(U("&Экспорт для Quillon"), this);
    Quillon1->setObjectName(U("Quillon1"));
    Quillon1->setVisible(false);
    connect(Quillon1, &QAction::triggered, this, [this] { Guarded([this] { Quillon1Click(); }); });
}

void TMainForm::CreateMenus()
{
    FileMenu = menuBar()->addMenu(U("&Файл"));
    FileMenu->addAction(aCreate);
    FileMenu->addAction(aOpen);
    FileMenu->addAction(aSave);
    FileMenu->addAction(aSaveAs);
    FileMenu->addSeparator();
    FileMenu->addAction(Quillon1);
    QuillonSeparator = FileMenu->addSeparator();
    QuillonSeparator->setVisible(false);
    FileMenu->addAction(aPrint);
    FileMenu->addSeparator();
    FileMenu->addAction(aExit);

    EditMenu = menuBar()->addMenu(U("&Правка"));
    EditMenu->addAction(aEditCard);

    ViewMenu = menuBar()->addMenu(U("&Вид"));
    ViewMenu->addAction(aFilter);
    ViewMenu->addSeparator();
    ViewMenu->addAction(aStatistics);
    ViewMenu->addSeparator();
    ViewMenu->addAction(aShowDeck);
    ViewMenu->addSeparator();
    ViewMenu->addAction(aOptions);

    HelpMenu = menuBar()->addMenu(U("По&мощь"));
    HelpMenu->addAction(aAbout);

    auto guarded = [this](void (TMainForm::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };

    BasePopupMenu = new QMenu(this);
    BasePopupMenu->setObjectName(U("BasePopupMenu"));
    miAddToDeck = BasePopupMenu->addAction(U("&Добавить в колоду"));
    connect(miAddToDeck, &QAction::triggered, this, guarded(&TMainForm::AddCardToDeck));
    BasePopupMenu->setDefaultAction(miAddToDeck);
    miEditCard = BasePopupMenu->addAction(aEditCard->text());
    connect(miEditCard, &QAction::triggered, aEditCard, &QAction::trigger);

    DeckPopupMenu = new QMenu(this);
    DeckPopupMenu->setObjectName(U("DeckPopupMenu"));
    miFindInBase = DeckPopupMenu->addAction(U("&Согласовать со списком"));
    connect(miFindInBase, &QAction::triggered, this, guarded(&TMainForm::FindDeckCardInBase));
    DeckPopupMenu->setDefaultAction(miFindInBase);
    miAddDeckCard = DeckPopupMenu->addAction(U("&Добавить карту"));
    connect(miAddDeckCard, &QAction::triggered, this, guarded(&TMainForm::AddDeckCard));
    miRemoveDeckCard = DeckPopupMenu->addAction(U("&Удалить карту"));
    connect(miRemoveDeckCard, &QAction::triggered, this, guarded(&TMainForm::RemoveDeckCard));

    PicturePopupMenu = new QMenu(this);
    PicturePopupMenu->setObjectName(U("PicturePopupMenu"));
    miSavePicture = PicturePopupMenu->addAction(U("&Сохранить картинку"));
    miSavePicture->setProperty("Tag", 1);
    connect(miSavePicture, &QAction::triggered, this, [this] { Guarded([this] { aCopyImageExecute(1); }); });
    miCopyPicture = PicturePopupMenu->addAction(U("&Копировать картинку"));
    miCopyPicture->setProperty("Tag", 0);
    connect(miCopyPicture, &QAction::triggered, this, [this] { Guarded([this] { aCopyImageExecute(0); }); });
}

void TMainForm::CreateToolBar()
{
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(U("ToolBar"));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setIconSize(QSize(16, 16));
    ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar->addAction(aCreate);
    ToolBar->addAction(aOpen);
    ToolBar->addAction(aSave);
    ToolBar->addAction(aPrint);
    ToolBar->addSeparator();
    ToolBar->addAction(aFilter);
    ToolBar->addAction(aStatistics);
    ToolBar->setMinimumHeight(kToolBarHeight);
    addToolBar(Qt::TopToolBarArea, ToolBar);
}

void TMainForm::CreateWorkArea()
{
    auto* central = new QWidget(this);
    auto* work = new QHBoxLayout(central);
    work->setContentsMargins(0, 0, 0, 0);
    work->setSpacing(0);

    // --- MainPanel: the card list, the splitter and the deck.
    MainPanel = new QWidget(central);
    MainPanel->setObjectName(U("MainPanel"));
    auto* mainLayout = new QHBoxLayout(MainPanel);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);
    Splitter1 = new TFixedSplitter(Qt::Horizontal, MainPanel);
    Splitter1->setObjectName(U("Splitter1"));
    Splitter1->setHandleWidth(kSplitterWidth);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setOpaqueResize(true);
    Splitter1->CanResize = [this] { return Splitter1CanResize(); };
    mainLayout->addWidget(Splitter1);

    // BasePanel: the find strip and the card list.
    BasePanel = new QWidget(Splitter1);
    BasePanel->setObjectName(U("BasePanel"));
    auto* baseLayout = new QVBoxLayout(BasePanel);
    baseLayout->setContentsMargins(0, 0, 0, 0);
    baseLayout->setSpacing(0);
    Panel1 = new QWidget(BasePanel);
    Panel1->setObjectName(U("Panel1"));
    Panel1->setFixedHeight(kFindStripHeight);
    auto* findLayout = new QHBoxLayout(Panel1);
    findLayout->setContentsMargins(2, 1, 6, 1);
    findLayout->setSpacing(4);
    FindEdit = new QLineEdit(Panel1);
    FindEdit->setObjectName(U("FindEdit"));
    FindEdit->setFixedWidth(kFindEditWidth);
    FindEdit->installEventFilter(this);
    connect(FindEdit, &QLineEdit::textChanged, this, [this] { Guarded([this] { FindEditChange(); }); });
    findLayout->addWidget(FindEdit);
    findLayout->addStretch(1);
    CardsCardCountLabel = new QLabel(Panel1);
    CardsCardCountLabel->setObjectName(U("CardsCardCountLabel"));
    CardsCardCountLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    findLayout->addWidget(CardsCardCountLabel);
    baseLayout->addWidget(Panel1);

    // The titles stay whatever field the language puts into a column.
    CardsModel = new TTableModel({{"Name", U("Название"), 150},
                                  {"Set", U("Выпуск"), -1},
                                  {"Type", U("Тип"), 120},
                                  {"Cost", U("Стоимость"), 62},
                                  {"PwrTgh", U("С/В"), 32}},
                                 this);
    CardsGrid = new TDataGrid(BasePanel);
    CardsGrid->setObjectName(U("CardsGrid"));
    CardsGrid->setMinimumWidth(kCardsGridMinWidth);
    CardsGrid->setItemDelegate(new TCardGridDelegate(CardsGrid));
    CardsGrid->SetTableModel(CardsModel);
    CardsGrid->SetStretchColumn(0); // the name takes the room a wide window gives
    CardsGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(CardsGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { BasePopupMenu->popup(CardsGrid->viewport()->mapToGlobal(p)); });
    baseLayout->addWidget(CardsGrid, 1);

    // DeckPanel: the deck's button strips and the deck grid.
    DeckPanel = new QWidget(Splitter1);
    DeckPanel->setObjectName(U("DeckPanel"));
    DeckPanel->setFixedWidth(kDeckPanelWidth);
    auto* deckLayout = new QVBoxLayout(DeckPanel);
    deckLayout->setContentsMargins(0, 0, 0, 0);
    deckLayout->setSpacing(0);
    Panel2 = new QWidget(DeckPanel);
    Panel2->setObjectName(U("Panel2"));
    Panel2->setFixedHeight(kDeckStripHeight);
    const int buttonTop = (kDeckStripHeight - kSpeedButtonHeight) / 2;
    SpeedButton4 = SpeedButton(Panel2, "SpeedButton4", glPlus, 28, buttonTop);
    SpeedButton3 = SpeedButton(Panel2, "SpeedButton3", glMinus, 52, buttonTop);
    MoveCardUpButton = SpeedButton(Panel2, "MoveCardUpButton", glUp, 76, buttonTop);
    MoveCardUpButton->setProperty("Tag", -1);
    MoveCardDownButton = SpeedButton(Panel2, "MoveCardDownButton", glDown, 100, buttonTop);
    MoveCardDownButton->setProperty("Tag", 1);
    SpeedButton4->setToolTip(U("Добавить карту"));
    SpeedButton3->setToolTip(U("Удалить карту"));
    DeckCardCountLabel = new QLabel(Panel2);
    DeckCardCountLabel->setObjectName(U("DeckCardCountLabel"));
    DeckCardCountLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int labelLeft = 100 + kSpeedButtonWidth + 2;
    DeckCardCountLabel->setGeometry(labelLeft, 0, kDeckPanelWidth - labelLeft - 6, kDeckStripHeight);
    deckLayout->addWidget(Panel2);

    auto* deckBody = new QHBoxLayout;
    deckBody->setContentsMargins(0, 0, 0, 0);
    deckBody->setSpacing(0);
    Panel3 = new QWidget(DeckPanel);
    Panel3->setObjectName(U("Panel3"));
    Panel3->setFixedWidth(kDeckSideStripWidth);
    const int buttonLeft = (kDeckSideStripWidth - kSpeedButtonWidth) / 2;
    SpeedButton1 = SpeedButton(Panel3, "SpeedButton1", glRight, buttonLeft, 120);
    SpeedButton2 = SpeedButton(Panel3, "SpeedButton2", glLeft, buttonLeft, 152);
    SpeedButton1->setToolTip(U("Добавить в колоду"));
    SpeedButton2->setToolTip(U("Удалить карту"));
    deckBody->addWidget(Panel3);

    DeckModel = new TTableModel({{"Count", U("#"), 30, Qt::AlignHCenter, Qt::AlignHCenter},
                                 {"Name", U("Название"), 125},
                                 {"Set", U("Выпуск"), -1}},
                                this);
    DeckGrid = new TDataGrid(DeckPanel);
    DeckGrid->setObjectName(U("DeckGrid"));
    DeckGrid->setFixedWidth(kDeckGridWidth);
    DeckGrid->setItemDelegate(new TCardGridDelegate(DeckGrid));
    DeckGrid->SetTableModel(DeckModel);
    DeckGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DeckGrid, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { DeckPopupMenu->popup(DeckGrid->viewport()->mapToGlobal(p)); });
    deckBody->addWidget(DeckGrid);
    deckLayout->addLayout(deckBody, 1);

    Splitter1->addWidget(BasePanel);
    Splitter1->addWidget(DeckPanel);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);
    work->addWidget(MainPanel, 1);

    // --- CardPanel: the picture of the current card.
    CardPanel = new QWidget(central);
    CardPanel->setObjectName(U("CardPanel"));
    CardPanel->setFixedWidth(kCardPanelWidth);
    auto* cardLayout = new QHBoxLayout(CardPanel);
    cardLayout->setContentsMargins(0, 0, 0, 0);
    cardLayout->setSpacing(0);
    Bevel1 = new QFrame(CardPanel);
    Bevel1->setObjectName(U("Bevel1"));
    Bevel1->setFrameShape(QFrame::VLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setFixedWidth(2);
    cardLayout->addWidget(Bevel1);
    PaintBox = new TPaintBox(CardPanel);
    PaintBox->setObjectName(U("PaintBox"));
    PaintBox->setFixedSize(kPaintBoxWidth, kPaintBoxHeight);
    PaintBox->OnPaint = [this](QPainter& p) { PaintBoxPaint(p); };
    PaintBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PaintBox, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PicturePopupMenu->popup(PaintBox->mapToGlobal(p)); });
    cardLayout->addWidget(PaintBox, 0, Qt::AlignTop);
    work->addWidget(CardPanel);
    central->setMinimumHeight(kPaintBoxHeight);

    setCentralWidget(central);

    // What the controls do.
    auto guarded = [this](void (TMainForm::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(SpeedButton1, &QToolButton::clicked, this, guarded(&TMainForm::AddCardToDeck));
    connect(SpeedButton4, &QToolButton::clicked, this, guarded(&TMainForm::AddDeckCard));
    connect(SpeedButton3, &QToolButton::clicked, this, guarded(&TMainForm::RemoveDeckCard));
    connect(SpeedButton2, &QToolButton::clicked, this, guarded(&TMainForm::RemoveDeckCard));
    connect(MoveCardUpButton, &QToolButton::clicked, this, [this] {
        Guarded([this] { MoveDeckCard(MoveCardUpButton->property("Tag").toInt()); });
    });
    connect(MoveCardDownButton, &QToolButton::clicked, this, [this] {
        Guarded([this] { MoveDeckCard(MoveCardDownButton->property("Tag").toInt()); });
    });
    CardsGrid->OnDblClick = [this] { AddCardToDeck(); };
    DeckGrid->OnDblClick = [this] { FindDeckCardInBase(); };
    CardsGrid->OnKeyDown = [this](QKeyEvent& e) { return CardsGridKeyDown(e); };
    DeckGrid->OnKeyDown = [this](QKeyEvent& e) { return DeckGridKeyDown(e); };
}

void TMainForm::FormCreate()
{
    // 1. The card panel paints through the window's back buffer: Qt double-buffers
    //    every widget, so repainting the card does not flicker.
    // 2. The grids turn wheel events into single rows themselves (TDataGrid); the
    //    focus entering a grid makes the picture follow it.
    CardsGrid->OnEnter = [this] {
        if (FData)
            CurrentCardUpdate(&FData->CardsTable);
    };
    DeckGrid->OnEnter = [this] {
        if (FData)
            CurrentCardUpdate(&FData->DeckTable);
    };
    // 3. The open and save dialogs start in "decks" beside the program.
    OpenDialogDir = DecksFolder();
    SaveDialogDir = DecksFolder();
    // The card list has the keyboard focus when the window first comes up.
    setTabOrder(FindEdit, CardsGrid);
    setTabOrder(CardsGrid, DeckGrid);
    CardsGrid->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------
// The data module.

void TMainForm::BindData(TData& data)
{
    if (FData == &data)
        return;
    UnbindData();
    FData = &data;
    CardsModel->SetTable(&data.CardsTable);
    DeckModel->SetTable(&data.DeckTable);
    CardsGrid->ApplyColumnWidths();
    DeckGrid->ApplyColumnWidths();
    // The data-change notices reach the window only while it is visible.
    data.OnCurrentCardChange = [this](TTable* sender) {
        if (isVisible())
            Guarded([this, sender] { CurrentCardUpdate(sender); });
    };
}

void TMainForm::UnbindData()
{
    if (!FData)
        return;
    FData->OnCurrentCardChange = nullptr;
    CardsModel->SetTable(nullptr);
    DeckModel->SetTable(nullptr);
    FData = nullptr;
}

bool TMainForm::CardListUsable() const
{
    return FData && FData->Ready && FData->CardsTable.Active();
}

bool TMainForm::DeckUsable() const
{
    return FData && FData->DeckTable.Active();
}

// ---------------------------------------------------------------------------------------
// Caption, labels, action states.

QString TMainForm::BaseCaption() const
{
    return ProductName + U(" ") + ProductVersion;
}

void TMainForm::UpdateDeckCountLabel()
{
    const int total = FData ? FData->DeckTotal : 0;
    DeckCardCountLabel->setText(U("Число карт: ") + QString::number(total));
    UpdateCaption();
}

void TMainForm::UpdateCardsCountLabel()
{
    const int count = CardListUsable() ? FData->FilteredCount() : 0;
    CardsCardCountLabel->setText(U("Выбрано: ") + QString::number(count));
}

void TMainForm::ActionsUpdate()
{
    const bool deck = FData != nullptr && FData->DeckTotal > 0;
    aCreate->setEnabled(true);
    aOpen->setEnabled(true);
    aSave->setEnabled(deck);
    aSaveAs->setEnabled(deck);
    aPrint->setEnabled(deck);
    aExit->setEnabled(true);
    aEditCard->setEnabled(true);
    aAbout->setEnabled(true);
    aFilter->setEnabled(true);
    aStatistics->setEnabled(deck);
    aShowDeck->setEnabled(true);
    aShowDeck->setChecked(!DeckPanel->isHidden());
    aOptions->setEnabled(true);
}

// ---------------------------------------------------------------------------------------
// First show.

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    Guarded([this] { FormShow(); });
}

void TMainForm::FormShow()
{
    // 1. Names and captions.
    const QString title = InternalName + U(" ") + ProductVersion;
    SetApplicationTitle(title);
    setWindowIconText(title);
    setWindowTitle(BaseCaption());
    if (DialogHooks.SetAboutVersion)
        DialogHooks.SetAboutVersion(ProductName, U("Версия ") + ProductVersion);
    // 2. The labels.
    UpdateDeckCountLabel();
    UpdateCardsCountLabel();
    // 3. Columns and sort index by the language; the list starts at its first card,
    //    selected at the top of the grid.
    ApplyLanguage();
    if (CardListUsable() && FData->CardsTable.RecordCount() > 0) {
        FData->CardsTable.First();
        CardsGrid->scrollToTop();
    }
    // 4. The card list's current card, drawn at once.
    if (CardListUsable()) {
        const TCardKey key = FData->GetCardKey(FData->CardsTable);
        if (FData->LocateCard(key.Name, key.Set, key.Version))
            FData->ReadCard(CurrentCard);
        else
            TData::ClearCard(CurrentCard);
    } else {
        TData::ClearCard(CurrentCard);
    }
    UpdateGuard = false;
    UpdateImageCardNow();
}

void TMainForm::OpenMainMenu()
{
    if (menuBar()->isVisible() && FileMenu)
        menuBar()->setActiveAction(FileMenu->menuAction());
}

// ---------------------------------------------------------------------------------------
// The window's state between runs.

namespace {

// The column widths are kept in designed pixels, so that they fit again when the
// desktop's text size changes between runs.
QString WidthsText(const TDataGrid* grid, int columns)
{
    QStringList widths;
    for (int c = 0; c < columns; ++c)
        widths << QString::number(Unscaled(grid->OwnColumnWidth(c)));
    return widths.join(QLatin1Char(' '));
}

void ApplyWidthsText(TDataGrid* grid, int columns, const QString& text)
{
    const QStringList widths = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (widths.size() != columns)
        return;
    for (int c = 0; c < columns; ++c) {
        bool ok = false;
        const int w = widths[c].toInt(&ok);
        if (ok && w >= 8 && w <= 2000)
            grid->SetOwnColumnWidth(c, Scaled(w));
    }
}

} // namespace

void TMainForm::RestoreWindowState()
{
    const auto store = OpenWindowStore();
    const QByteArray geometry = QByteArray::fromBase64(store->value("Geometry").toString().toLatin1());
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    ApplyWidthsText(CardsGrid, CardsModel->ColumnCount(), store->value("CardsColumns").toString());
    ApplyWidthsText(DeckGrid, DeckModel->ColumnCount(), store->value("DeckColumns").toString());
}

void TMainForm::SaveWindowState() const
{
    const auto store = OpenWindowStore();
    store->setValue("Geometry", QString::fromLatin1(saveGeometry().toBase64()));
    store->setValue("CardsColumns", WidthsText(CardsGrid, CardsModel->ColumnCount()));
    store->setValue("DeckColumns", WidthsText(DeckGrid, DeckModel->ColumnCount()));
    store->sync();
}

// ---------------------------------------------------------------------------------------
// Closing.

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FitPictureToWindow();
}

void TMainForm::FitPictureToWindow()
{
    if (!PaintBox || !centralWidget())
        return;
    // The card grows with a taller window at the card's own proportions, and is drawn
    // anew at that size; it never shrinks below its designed size, and the lists keep
    // at least their least width.
    const int margin = Scaled(3);
    const int leastHeight = Scaled(kPaintBoxHeight);
    const int leastWidth = Scaled(kPaintBoxWidth);
    const int bevel = Scaled(kCardPanelWidth) - leastWidth;
    // What the window has grown beyond its designed height goes to the card.
    int height = std::min(std::max(leastHeight, centralWidget()->height()),
                          leastHeight + std::max(0, this->height() - FDesignedHeight));
    auto widthFor = [&](int h) {
        if (h <= leastHeight)
            return leastWidth;
        return std::max(leastWidth, 2 * margin + int(std::lround((h - 2 * margin) * 300.0 / 433.0)));
    };
    const int room = centralWidget()->width() - MainPanel->minimumSizeHint().width() - bevel;
    while (height > leastHeight && widthFor(height) > room)
        height = std::max(leastHeight, height - std::max(1, (widthFor(height) - room) * 433 / 300));
    const QSize box(widthFor(height), height);
    if (box == PaintBox->size())
        return;
    PaintBox->setFixedSize(box);
    CardPanel->setFixedWidth(box.width() + bevel);
    // Drawn at the new size once the window rests.
    if (FShown && UpdateImageTimer)
        UpdateImageTimer->start();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!ConfirmDeckChanges()) {
        event->ignore();
        return;
    }
    if (KeepWindowState)
        Guarded([this] { SaveWindowState(); });
    QMainWindow::closeEvent(event);
}

void TMainForm::aExitExecute()
{
    close();
}
