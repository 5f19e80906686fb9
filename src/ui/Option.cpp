#include "ui/Option.h"

#include "data/Settings.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/MainForm.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

QPointer<TOptionsForm> OptionsForm;

namespace {

QRadioButton* Radio(QWidget* page, const char* name, const char* caption, int y)
{
    auto* button = new QRadioButton(U8(caption), page);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(12, y, 260, 17);
    return button;
}

} // namespace

TOptionsForm::TOptionsForm(QWidget* parent) : TDialogForm(parent, 296, 235)
{
    setObjectName(U8("OptionsForm"));
    setWindowTitle(U8("Параметры"));
    // Shown where the window system puts it, not centred over the main window.
    Position = poDesigned;

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(U8("PageControl"));
    PageControl->setGeometry(4, 4, 289, 193);

    PathPage = new QWidget;
    PathPage->setObjectName(U8("PathPage"));
    SmallImagesCheck = Radio(PathPage, "SmallImagesCheck", "Маленькие картинки", 16);
    MtgEncImagesCheck = Radio(PathPage, "MtgEncImagesCheck", "Картинки из MTG Encyclopedia", 40);
    PageControl->addTab(PathPage, U8("Картинки"));

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(U8("TabSheet1"));
    RusNameCheck = Radio(TabSheet1, "RusNameCheck", "Русские название и текст", 16);
    EngRusNameCheck = Radio(TabSheet1, "EngRusNameCheck", "Английские названия, русский текст", 40);
    EnglishNameCheck = Radio(TabSheet1, "EnglishNameCheck", "Английские названия и текст", 64);
    DrawReminderTextCheck = new QCheckBox(U8("Показывать текст напоминания"), TabSheet1);
    DrawReminderTextCheck->setObjectName(U8("DrawReminderTextCheck"));
    DrawReminderTextCheck->setGeometry(12, 116, 260, 17);
    PageControl->addTab(TabSheet1, U8("Язык карт"));
    // The language page is the one shown at the first opening; afterwards the page
    // last shown stays, because the dialog is reused.
    PageControl->setCurrentWidget(TabSheet1);

    OkButton = new QPushButton(U8("ОК"), this);
    OkButton->setObjectName(U8("OkButton"));
    OkButton->setGeometry(136, 204, 75, 25);
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, [this] { Guarded([this] { OkButtonClick(); }); });
    CancelButton = new QPushButton(U8("Отмена"), this);
    CancelButton->setObjectName(U8("CancelButton"));
    CancelButton->setGeometry(216, 204, 75, 25);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    ScaleForm(this);
}

void TOptionsForm::FormShow()
{
    switch (CardTextType) {
    case 0:
        RusNameCheck->setChecked(true);
        break;
    case 1:
        EngRusNameCheck->setChecked(true);
        break;
    case 2:
        EnglishNameCheck->setChecked(true);
        break;
    default:
        break;
    }
    if (ArtImageType != 0)
        MtgEncImagesCheck->setChecked(true);
    else
        SmallImagesCheck->setChecked(true);
    DrawReminderTextCheck->setChecked(DrawReminderText);
}

void TOptionsForm::OkButtonClick()
{
    if (SmallImagesCheck->isChecked())
        ArtImageType = 0;
    else if (MtgEncImagesCheck->isChecked())
        ArtImageType = 1;
    if (RusNameCheck->isChecked())
        CardTextType = 0;
    else if (EngRusNameCheck->isChecked())
        CardTextType = 1;
    else if (EnglishNameCheck->isChecked())
        CardTextType = 2;
    DrawReminderText = DrawReminderTextCheck->isChecked();
    accept();
}

void CreateOptionsForm(TMainForm& mainForm)
{
    DestroyOptionsForm();
    OptionsForm = new TOptionsForm(&mainForm);
    DialogHooks.Options = [](QWidget*) {
        if (OptionsForm)
            OptionsForm->ShowModal();
    };
}

void DestroyOptionsForm()
{
    delete OptionsForm;
    OptionsForm = nullptr;
    DialogHooks.Options = nullptr;
}
