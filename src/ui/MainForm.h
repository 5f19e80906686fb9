#pragma once
// The main window TMainForm: the filtered card list on the left, the deck in the
// middle, the current card's picture on the right; the main menu, the tool bar, the
// popup menus and the twelve actions with their one update handler; the deck files;
// the deck editing commands; the current card with its 500 ms picture timer; and the
// hidden export for Quillon.
//
// MainForm.cpp builds the window and keeps its captions and action states; the
// commands live by concern in MainFormDeckFiles.cpp, MainFormDeckEditing.cpp,
// MainFormPicture.cpp and MainFormView.cpp.
//
// The window is created before the data module and does not touch it until
// BindData. Every handler runs its work through Guarded (ErrorHandling.h): an error
// reaches the error box once the command's clean-up has run, and the program goes on.
#include "data/Card.h"
#include "data/DataModule.h"

#include <QMainWindow>
#include <QSplitter>
#include <QSplitterHandle>
#include <QString>

#include <functional>
#include <string>

class QAction;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPainter;
class QTimer;
class QToolBar;
class QToolButton;
class TDataGrid;
class TTableModel;

// A paint box: a plain area whose owner paints it.
class TPaintBox : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    std::function<void(QPainter& painter)> OnPaint;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A splitter whose handle asks CanResize before it lets itself be dragged.
class TFixedSplitter : public QSplitter {
    Q_OBJECT
public:
    using QSplitter::QSplitter;
    std::function<bool()> CanResize;

protected:
    QSplitterHandle* createHandle() override;
};

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- The data module -----------------------------------------------------------
    // Binds the grids to the data module's card list and deck and takes its
    // data-change notices. Runs once the data module exists.
    void BindData(TData& data);
    // Lets go of the data module (before it is destroyed).
    void UnbindData();
    TData* DataModule() const { return FData; }

    // --- Identity --------------------------------------------------------------------
    // Internal name, product name and version (from the build).
    QString InternalName;
    QString ProductName;
    QString ProductVersion;
    // Product name + " " + version: the caption without a deck file.
    QString BaseCaption() const;

    // --- Handlers ----------------------------------------------------------------------
    void FormCreate();
    void FormShow();
    void ActionsUpdate();
    void aCreateExecute();
    void aOpenExecute();
    // Opens a deck file as "Открыть..." does once its dialog is closed: the deck grid
    // takes the focus and the picture shows the deck's current entry.
    void OpenDeckFile(const QString& fileName);
    void aSaveExecute();
    void aSaveAsExecute();
    void aPrintExecute();
    void aExitExecute();
    void aEditCardExecute();
    void aAboutExecute();
    void aFilterExecute();
    void aStatisticsExecute();
    void aShowDeckExecute();
    void aOptionsExecute();
    void FindEditChange();
    void FindEditExit();
    // Key handlers of the grids; true when the key was consumed.
    bool CardsGridKeyDown(QKeyEvent& event);
    bool DeckGridKeyDown(QKeyEvent& event);
    void AddCardToDeck();
    void AddDeckCard();
    void RemoveDeckCard();
    // tag: -1 one place up (towards the start of the deck), 1 one place down.
    void MoveDeckCard(int tag);
    void FindDeckCardInBase();
    // The splitter between the card list and the deck never moves.
    bool Splitter1CanResize() const { return false; }
    void PaintBoxPaint(QPainter& painter);
    // Draws CurrentCard into the picture buffer unless it is the card drawn last,
    // then repaints the picture. The picture timer's event.
    void UpdateImageCardNow();
    // Draws the current card again even when it is the one drawn last.
    void ForceRedraw();
    // The current-card update for a data source (the card list or the deck): reads the
    // source's current card and restarts the picture timer.
    void CurrentCardUpdate(TTable* source);
    // tag != 0: saves the picture as a JPEG file below "printimg"; 0: to the clipboard.
    void aCopyImageExecute(int tag);
    void Quillon1Click();

    // The language setting to the name and type columns and the card list's index.
    void ApplyLanguage();
    // Saves the deck under a file name (save and save as); false when nothing was
    // written (no name, an empty deck).
    bool SaveDeckUnder(const QString& fileName);
    // "Сохранить": the deck's own .mdc file; a new deck, or one read from another
    // program's file, through "Сохранить как..." (offering the same name as .mdc).
    // True when the deck was written.
    bool SaveDeckCommand();
    // "Сохранить как...", the dialog starting at `proposed` (or the last folder).
    bool SaveDeckAsCommand(const QString& proposed);
    // Before anything replaces a changed deck: asks "Сохранить изменения в колоде
    // ...?" (Сохранить / Не сохранять / Отмена). True when the work may go on (the
    // deck was saved, the changes are dropped, or there were none).
    bool ConfirmDeckChanges();
    // The deck's file as a path (empty for a new deck).
    QString DeckFileQString() const;
    void UpdateDeckCountLabel();
    // The caption: the product and version, and the deck's file when it has one
    // ("Новая колода" for a changed new deck), with "*" after it while it has
    // unsaved changes.
    void UpdateCaption();
    void UpdateCardsCountLabel();
    // The window's size and place and the grids' column widths: read from the window
    // store (OpenWindowStore) before the first show, written when the window closes
    // while KeepWindowState is set (the running program sets it; tests do not).
    void RestoreWindowState();
    void SaveWindowState() const;
    bool KeepWindowState = false;
    // The size of the picture buffer for the screen the window is on: the paint box's
    // inside (300 x 433 at the designed form scale) times the device pixel ratio, so
    // that the card is sharp at 2x.
    QSize ScreenPictureSize() const;
    // The card picture's box at the window's height, at the card's proportions (never
    // below its designed size, never taking the lists' least width).
    void FitPictureToWindow();
    // F10: opens the main menu's first menu, as desktops do.
    void OpenMainMenu();
    // The folder the open and save dialogs start in: "decks" below UserDir (beside the
    // program when it runs from a writable folder of its own).
    QString DecksFolder() const;
    // Where the Quillon export is written: "TomelarkDeck.dat" in UserDir.
    std::string QuillonFileName() const;

    // --- State -------------------------------------------------------------------------
    TCard CurrentCard;
    // Name, Set and Version of the card last drawn into the picture buffer; the name
    // "*" forces the next draw.
    TCardKey DrawnCardKey{"*", "", ""};
    // Set while the current card is being replaced (the card editor sets it while it
    // writes a card back); data changes are ignored meanwhile.
    bool UpdateGuard = true;
    // How many times a card was drawn into the picture buffer.
    int DrawCount = 0;
    // Whether the status bar has said that encyclopedia scans are missing (once,
    // until the options change).
    bool ArtFallbackSaid = false;
    // The folders the open and save dialogs show next.
    QString OpenDialogDir;
    QString SaveDialogDir;

    // --- Controls ----------------------------------------------------------------------
    QToolBar* ToolBar = nullptr;
    QWidget* MainPanel = nullptr;
    QWidget* BasePanel = nullptr;
    QWidget* Panel1 = nullptr;
    QLineEdit* FindEdit = nullptr;
    QLabel* CardsCardCountLabel = nullptr;
    TDataGrid* CardsGrid = nullptr;
    TFixedSplitter* Splitter1 = nullptr;
    QWidget* DeckPanel = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* Panel3 = nullptr;
    QToolButton* SpeedButton1 = nullptr; // add the card list's card
    QToolButton* SpeedButton2 = nullptr; // one copy less
    QToolButton* SpeedButton3 = nullptr; // one copy less
    QToolButton* SpeedButton4 = nullptr; // one copy more
    QToolButton* MoveCardUpButton = nullptr;
    QToolButton* MoveCardDownButton = nullptr;
    QLabel* DeckCardCountLabel = nullptr;
    TDataGrid* DeckGrid = nullptr;
    QWidget* CardPanel = nullptr;
    QFrame* Bevel1 = nullptr;
    TPaintBox* PaintBox = nullptr;
    QTimer* UpdateImageTimer = nullptr;
    TTableModel* CardsModel = nullptr;
    TTableModel* DeckModel = nullptr;

    QMenu* FileMenu = nullptr;
    QMenu* EditMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QMenu* BasePopupMenu = nullptr;
    QMenu* DeckPopupMenu = nullptr;
    QMenu* PicturePopupMenu = nullptr;

    QAction* aCreate = nullptr;
    QAction* aOpen = nullptr;
    QAction* aSave = nullptr;
    QAction* aSaveAs = nullptr;
    QAction* aPrint = nullptr;
    QAction* aExit = nullptr;
    QAction* aEditCard = nullptr;
    QAction* aAbout = nullptr;
    QAction* aFilter = nullptr;
    QAction* aStatistics = nullptr;
    QAction* aShowDeck = nullptr;
    QAction* aOptions = nullptr;
    QAction* Quillon1 = nullptr;
    QAction* QuillonSeparator = nullptr;
    QAction* miAddToDeck = nullptr;
    QAction* miEditCard = nullptr;
    QAction* miFindInBase = nullptr;
    QAction* miAddDeckCard = nullptr;
    QAction* miRemoveDeckCard = nullptr;
    QAction* miSavePicture = nullptr;
    QAction* miCopyPicture = nullptr;
    QAction* aMenuBar = nullptr; // F10

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateWorkArea();
    QAction* NewAction(const QString& caption, const QString& hint, const QKeySequence& shortcut, int image,
                       void (TMainForm::*handler)());
    bool GridHasFocus(const QWidget* grid) const;
    bool CardListUsable() const;
    bool DeckUsable() const;

    TData* FData = nullptr;
    bool FShown = false;
    int FDesignedHeight = 0;
};

// The main window of the running program (null when there is none).
extern TMainForm* MainForm;
