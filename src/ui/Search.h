#pragma once
// The filter dialog TSearchForm: which sets, card types and colours the card list
// shows, and whether it is sorted by name or by mana cost. It only edits the filter
// flags and the sort choice of the data module; the main window applies them when
// the dialog closes with OK. Created once and reused, so its controls (the three
// toggle buttons above all) keep their state between openings.
#include "ui/DialogForm.h"

#include <QPointer>

class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class TData;
class TMainForm;

class TSearchForm : public TDialogForm {
    Q_OBJECT
public:
    // data may be null (no data module): the dialog then stores nothing.
    TSearchForm(TData* data, QWidget* parent = nullptr);

    // Index of the three-state item "Многоцветный" in ColorListBox.
    static constexpr int MultiColorItem = 5;

    // Opening: the sort choice and every item's check state from the data module's
    // flags; "Многоцветный" grayed when FilterMultiExact is set.
    void FormShow() override;
    // The toggle buttons' shared handler: negates the button's Tag, sets its caption
    // ("Нет" for a positive Tag, "Все" otherwise) and checks (positive) or unchecks
    // every item of the button's own list, a grayed item included.
    void SetResetButtonClick(QPushButton* button);
    // OK: every item's state into its flag (true when checked), the sort choice,
    // FilterMultiExact from the grayed "Многоцветный"; closes with OK.
    void OkButtonClick();

    QGroupBox* SetGroup = nullptr;
    QGroupBox* TypeGroup = nullptr;
    QGroupBox* ColorGroup = nullptr;
    QListWidget* SetListBox = nullptr;
    QListWidget* TypeListBox = nullptr;
    QListWidget* ColorListBox = nullptr;
    QPushButton* SetResetButton = nullptr;
    QPushButton* TypeResetButton = nullptr;
    QPushButton* ColorResetButton = nullptr;
    QLabel* SortLabel = nullptr;
    QComboBox* SortCombo = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    QListWidget* ListOf(QPushButton* button) const;
    void FillSetList();
    // Each group's heading: checked, cleared or grayed after its sets.
    void UpdateSetHeadings();
    TData* FData;
    bool FUpdatingHeadings = false;
};

// The instance of the running program (null before CreateSearchForm).
// Cleared when the dialog is destroyed (also together with the main window).
extern QPointer<TSearchForm> SearchForm;
// Creates SearchForm over the main window's data module and fills the filter hook.
void CreateSearchForm(TMainForm& mainForm);
void DestroySearchForm();
