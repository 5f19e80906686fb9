#pragma once
// The options dialog TOptionsForm: the art source (ArtImageType), the card language
// (CardTextType) and whether reminder text is drawn (DrawReminderText). OK stores
// them in memory (they reach the user's settings store when the program ends);
// Cancel stores nothing. Whatever the result, the main window re-applies the
// language to its columns and index and redraws the current card.
#include "ui/DialogForm.h"

#include <QPointer>

class QCheckBox;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;
class TMainForm;

class TOptionsForm : public TDialogForm {
    Q_OBJECT
public:
    explicit TOptionsForm(QWidget* parent = nullptr);

    // Opening: the radio buttons and the check box from the settings. A CardTextType
    // other than 0, 1 or 2 leaves the language buttons as they were.
    void FormShow() override;
    // OK: the settings from the controls; closes with OK.
    void OkButtonClick();

    QTabWidget* PageControl = nullptr;
    QWidget* PathPage = nullptr;  // "Картинки"
    QWidget* TabSheet1 = nullptr; // "Язык карт"
    QRadioButton* SmallImagesCheck = nullptr;
    QRadioButton* MtgEncImagesCheck = nullptr;
    QRadioButton* RusNameCheck = nullptr;
    QRadioButton* EngRusNameCheck = nullptr;
    QRadioButton* EnglishNameCheck = nullptr;
    QCheckBox* DrawReminderTextCheck = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
};

// Cleared when the dialog is destroyed (also together with the main window).
extern QPointer<TOptionsForm> OptionsForm;
// Creates OptionsForm and fills the options hook.
void CreateOptionsForm(TMainForm& mainForm);
void DestroyOptionsForm();
