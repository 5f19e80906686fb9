// The main window's deck editing commands and the grids' keys for them.
#include "ui/MainForm.h"
#include "ui/MainFormInternal.h"

#include "ui/ErrorHandling.h"

#include <QKeyEvent>
#include <QToolButton>

using namespace mainform;

namespace {

// An empty text is stored by the table engine as a field without a value.
TValue KeyValue(const std::string& text)
{
    return text.empty() ? TValue() : TValue(text);
}

// A field's text where the record may be missing.
std::string Text(TTable& table, const char* field)
{
    return table.FieldByName(field).AsString();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Deck editing.

bool TMainForm::CardsGridKeyDown(QKeyEvent& event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        AddCardToDeck();
        return true;
    }
    return false;
}

bool TMainForm::DeckGridKeyDown(QKeyEvent& event)
{
    const int key = event.key();
    const bool keypad = event.modifiers() & Qt::KeypadModifier;
    const bool modified = event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if ((key == Qt::Key_Plus && keypad) || key == Qt::Key_Insert) {
        AddDeckCard();
        return false;
    }
    if ((key == Qt::Key_Minus && keypad) || key == Qt::Key_Delete) {
        RemoveDeckCard();
        return false;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        FindDeckCardInBase();
        return false;
    }
    if (key == Qt::Key_Up && modified) {
        MoveCardUpButton->click();
        return true;
    }
    if (key == Qt::Key_Down && modified) {
        MoveCardDownButton->click();
        return true;
    }
    return false;
}

namespace {
// Posts the record; when the table refuses it, the edit is dropped so that the deck
// is not left half-edited, and the error goes on to the error box.
void PostOrCancel(TTable& table)
{
    try {
        table.Post();
    } catch (...) {
        if (table.State() != dsBrowse)
            table.Cancel();
        throw;
    }
}
} // namespace

void TMainForm::AddCardToDeck()
{
    if (!CardListUsable() || !DeckUsable())
        return;
    TTable& cards = FData->CardsTable;
    if (cards.RecordCount() == 0)
        return;
    const std::string name = Text(cards, "Name");
    const std::string nameR = Text(cards, "NameR");
    const std::string set = Text(cards, "Set");
    const std::string version = Text(cards, "Version");
    TTable& deck = FData->DeckTable;
    TScopeExit label([this] { UpdateDeckCountLabel(); });
    if (deck.Locate("Name;Set;Version", {KeyValue(name), KeyValue(set), KeyValue(version)})) {
        deck.Edit();
        FData->DeckTableCount->SetAsInteger(FData->DeckTableCount->AsInteger() + 1);
    } else {
        deck.Append();
        FData->DeckTableName->SetAsString(name);
        FData->DeckTableNameR->SetAsString(nameR);
        FData->DeckTableSet->SetAsString(set);
        FData->DeckTableVersion->SetAsString(version);
        FData->DeckTableCount->SetAsInteger(1);
    }
    PostOrCancel(deck);
}

void TMainForm::AddDeckCard()
{
    if (!DeckUsable() || FData->DeckTable.RecordCount() == 0)
        return;
    TTable& deck = FData->DeckTable;
    TScopeExit label([this] { UpdateDeckCountLabel(); });
    deck.Edit();
    FData->DeckTableCount->SetAsInteger(FData->DeckTableCount->AsInteger() + 1);
    PostOrCancel(deck);
}

void TMainForm::RemoveDeckCard()
{
    if (!DeckUsable() || FData->DeckTable.RecordCount() == 0)
        return;
    TTable& deck = FData->DeckTable;
    TScopeExit label([this] { UpdateDeckCountLabel(); });
    if (FData->DeckTableCount->AsInteger() < 2) {
        deck.Delete();
    } else {
        deck.Edit();
        FData->DeckTableCount->SetAsInteger(FData->DeckTableCount->AsInteger() - 1);
        PostOrCancel(deck);
    }
}

void TMainForm::MoveDeckCard(int tag)
{
    if (!DeckUsable() || FData->DeckTotal < 2 || (tag != -1 && tag != 1))
        return;
    TTable& deck = FData->DeckTable;
    TField& id = *FData->DeckTableID;
    deck.DisableControls();
    TBookmark bookmark = deck.GetBookmark();
    bool indexSaved = false;
    std::string indexName;
    TScopeExit restore([&] {
        deck.FreeBookmark(bookmark);
        if (deck.State() != dsBrowse)
            deck.Cancel();
        if (indexSaved)
            deck.SetIndexName(indexName);
        deck.EnableControls();
    });
    const int32_t p = id.AsInteger();
    if (tag == 1)
        deck.Next();
    else
        deck.Prior();
    const int32_t q = id.AsInteger();
    // In the unindexed order changing the ids does not move the records meanwhile.
    indexName = deck.IndexName();
    indexSaved = true;
    deck.SetIndexName("");
    if (q != p) {
        deck.Edit();
        id.SetAsInteger(p);
        deck.Post();
        deck.GotoBookmark(bookmark);
        deck.Edit();
        id.SetAsInteger(q);
        deck.Post();
    }
}

void TMainForm::FindDeckCardInBase()
{
    if (!DeckUsable() || !CardListUsable())
        return;
    TTable& deck = FData->DeckTable;
    if (deck.RecordCount() == 0 || deck.State() != dsBrowse)
        return;
    const std::string name = Text(deck, "Name");
    const std::string set = Text(deck, "Set");
    const std::string version = Text(deck, "Version");
    FData->CardsTable.Locate("Name;Set;Version", {KeyValue(name), KeyValue(set), KeyValue(version)});
}
