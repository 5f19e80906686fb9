// The main window's view and dialog commands: printing, the card editor, the about
// box, filtering, statistics, showing the deck, options and the language, and the
// find box.
#include "ui/MainForm.h"
#include "ui/MainFormInternal.h"

#include "data/Settings.h"
#include "ui/DataGrid.h"
#include "ui/DialogHooks.h"
#include "ui/TableModel.h"
#include "ui/ErrorHandling.h"
#include "ui/UserDialogs.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

using namespace mainform;

// ---------------------------------------------------------------------------------------
// The language.

void TMainForm::ApplyLanguage()
{
    const bool russian = CardTextType == 0;
    CardsModel->SetColumnField(0, russian ? "NameR" : "Name");
    CardsModel->SetColumnField(2, russian ? "TypeR" : "Type");
    DeckModel->SetColumnField(1, russian ? "NameR" : "Name");
    if (CardListUsable())
        FData->CardsTable.SetIndexName(FData->CardListIndexName());
}

// ---------------------------------------------------------------------------------------
// Dialog commands.

void TMainForm::aPrintExecute()
{
    if (!DialogHooks.Print) {
        UserDialogs().ShowMessage(this, QString(), U("Печать будет добавлена в следующей версии"));
        return;
    }
    TScopeExit redraw([this] { ForceRedraw(); });
    DialogHooks.Print(this);
}

void TMainForm::aEditCardExecute()
{
    if (DialogHooks.EditCard)
        DialogHooks.EditCard(this);
}

void TMainForm::aAboutExecute()
{
    if (DialogHooks.About) {
        DialogHooks.About(this);
        return;
    }
    UserDialogs().ShowMessage(this, U("О программе"), ProductName + U("\nВерсия ") + ProductVersion);
}

void TMainForm::aFilterExecute()
{
    if (DialogHooks.Filter && !DialogHooks.Filter(this))
        return;
    if (!CardListUsable())
        return;
    TTable& cards = FData->CardsTable;
    cards.DisableControls();
    {
        TScopeExit resume([&] { cards.EnableControls(); });
        cards.SetFiltered(false);
        FData->SortIndexName = FData->SortChoice == 1 ? "CostSort" : "NameSort";
        cards.SetIndexName(FData->CardListIndexName());
        cards.SetFiltered(true);
    }
    UpdateCardsCountLabel();
}

void TMainForm::aStatisticsExecute()
{
    if (!FData)
        return;
    // Every deck entry must be in the card base before the statistics open.
    FData->CheckDeckCards();
    if (DialogHooks.Statistics)
        DialogHooks.Statistics(this);
}

void TMainForm::aShowDeckExecute()
{
    BasePanel->setFocus(Qt::OtherFocusReason);
    DeckPanel->setVisible(DeckPanel->isHidden());
    ActionsUpdate();
}

void TMainForm::aOptionsExecute()
{
    if (DialogHooks.Options)
        DialogHooks.Options(this);
    ArtFallbackSaid = false;
    ApplyLanguage();
    ForceRedraw();
}

// ---------------------------------------------------------------------------------------
// Find as you type.

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FindEdit && event->type() == QEvent::KeyPress) {
        // Enter adds the card found to the deck; Down goes on in the card list.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Guarded([this] { AddCardToDeck(); });
            return true;
        }
        if (key == Qt::Key_Down) {
            CardsGrid->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    if (watched == FindEdit && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving the box for another control of the window; not a menu, a popup or
        // another window coming to the front.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason
            && reason != Qt::MenuBarFocusReason)
            Guarded([this] { FindEditExit(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::FindEditChange()
{
    const std::string t = QStringToWin1251(FindEdit->text().trimmed());
    if (t.empty() || !CardListUsable())
        return;
    TTable& cards = FData->CardsTable;
    if (cards.RecordCount() == 0 || cards.State() != dsBrowse)
        return;
    cards.DisableControls();
    TScopeExit resume([&] { cards.EnableControls(); });
    // The longest prefix of the typed text that begins a name, English names first.
    // The engine compares the values as given, so apostrophes need no quoting.
    for (const char* field : {"Name", "NameR"}) {
        for (std::string s = t; !s.empty(); s.pop_back())
            if (cards.Locate(field, {TValue(s)}, loCaseInsensitive | loPartialKey))
                return;
    }
}

void TMainForm::FindEditExit()
{
    FindEdit->clear();
}
