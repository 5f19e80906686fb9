#pragma once
// The card text editor TEditForm: corrects the texts of the main window's current
// card (English and Russian type line, rules and flavour text, the Russian name, the
// mana cost, power/toughness and rarity) and writes the card back into the card base,
// which is then saved to its file. The card's identity (Name, Set, Version) cannot be
// changed. EditCurrentCard is the main window's "Редактировать карту" command.
#include "data/Card.h"
#include "ui/DialogForm.h"

#include <QPointer>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TData;
class TMainForm;

class TEditForm : public TDialogForm {
    Q_OBJECT
public:
    // data may be null (no data module): the command then does nothing.
    TEditForm(TData* data, QWidget* parent = nullptr);

    // The command: reads the main window's current card afresh from the card base,
    // shows it in the dialog and, when the dialog closes with OK after a change,
    // writes it back with its colour code derived from the cost, saves the card base,
    // makes it the main window's CurrentCard and redraws the picture at once. With no
    // current card (an empty list, or a card not in the card base) it does nothing.
    // When writing or saving fails the error goes on to the caller; the picture and
    // CurrentCard stay as they were.
    void EditCurrentCard(TMainForm& mainForm);

    // The controls from a card. The Russian name stays empty when it equals the
    // English one (a card without a Russian name carries its English name there).
    void FillFields(const TCard& card);
    // The controls read back into a copy of card: trimmed texts, the cost, set and
    // rarity in upper case, an empty Russian name meaning the English one, Color from
    // the cost. Version, MtgEncID and the identity stay as in card. Throws EError with
    // the message of CheckFields when a text cannot be stored.
    TCard ReadFields(const TCard& card) const;
    // Empty when the card base can store every text of the controls; otherwise a
    // message naming the first field that it cannot store (a character outside
    // Windows-1251, a text longer than its field, a required field left empty), and
    // that field's control in *control.
    QString CheckFields(QWidget** control = nullptr) const;

    // Opening: clears the modified flag (filling the controls is no change).
    void FormShow() override;
    // Any change of any field sets the modified flag.
    void ENameEditChange() { Modified = true; }
    // OK: a text the card base cannot store is refused with a message and the dialog
    // stays open at that field; otherwise closes with OK when something was changed
    // and with Cancel when nothing was.
    void OkButtonClick();
    bool Modified = false;

    QLineEdit* ENameEdit = nullptr;
    QLineEdit* ETypeEdit = nullptr;
    QLineEdit* ManaCostEdit = nullptr;
    QLineEdit* PwrTghEdit = nullptr;
    QPlainTextEdit* ETextMemo = nullptr;
    QPlainTextEdit* EFlavorMemo = nullptr;
    QLineEdit* SetEdit = nullptr;
    QLineEdit* RarityEdit = nullptr;
    QLineEdit* RNameEdit = nullptr;
    QLineEdit* RTypeEdit = nullptr;
    QPlainTextEdit* RTextMemo = nullptr;
    QPlainTextEdit* RFlavorMemo = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    // A field of the dialog: its control's text as Windows-1251 (ok false when a
    // character does not fit), trimmed.
    struct TFieldText {
        std::string Text;
        bool Ok = true;
    };
    TFieldText FieldText(const QWidget* control) const;
    TData* FData;
    // Whether the texts last filled into the memos had CR LF line breaks, so that
    // reading back keeps the card base's line breaks as they were.
    bool FCrLf[4] = {};
};

// Cleared when the dialog is destroyed (also together with the main window).
extern QPointer<TEditForm> EditForm;
// Creates EditForm over the main window's data module and fills the card editor hook.
void CreateEditForm(TMainForm& mainForm);
void DestroyEditForm();
