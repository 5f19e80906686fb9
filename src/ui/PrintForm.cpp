#include "ui/PrintForm.h"

#include "Library/Common/ExtUtils.h"
#include "data/DataModule.h"
#include "data/Settings.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/MainForm.h"
#include "ui/UserDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QCoreApplication>
#include <QStatusBar>

#include <algorithm>

QPointer<TPrintForm> PrintForm;

std::function<QStringList()> TPrintForm::InstalledPrinters = [] { return QPrinterInfo::availablePrinterNames(); };
std::function<QString()> TPrintForm::DefaultPrinter = [] { return QPrinterInfo::defaultPrinterName(); };
std::function<void(QPrinter&, QWidget*)> TPrintForm::PrinterSetupRunner = [](QPrinter& printer, QWidget* parent) {
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
};

namespace {

template <class T>
T* Control(const char* name, const QRect& geometry, T* control)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

QLabel* AutoLabel(QWidget* parent, const char* name, int x, int y, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->adjustSize();
    MarkScaled(label); // its size comes from its text in the form's font
    return label;
}

QPushButton* Button(QWidget* parent, const char* name, const QRect& geometry, const char* caption)
{
    auto* button = Control(name, geometry, new QPushButton(U8(caption), parent));
    // Neither button is the dialog's default: Enter presses nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QCheckBox* CheckBox(QWidget* parent, const char* name, const QRect& geometry, const char* caption, const char* hint)
{
    auto* check = Control(name, geometry, new QCheckBox(U8(caption), parent));
    check->setToolTip(U8(hint));
    return check;
}

void SetLabel(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

// What the print run shows in the main window: the status bar's text, the hourglass and
// the notice. With each step the windows are repainted (the pieces of a closed file
// dialog disappear, the deck list stays readable); input waits until the run ends.
class TMainWindowFeedback : public TPrintFeedback {
public:
    explicit TMainWindowFeedback(TMainForm& form) : Form(form) {}
    ~TMainWindowFeedback() override
    {
        while (Cursors-- > 0)
            QGuiApplication::restoreOverrideCursor();
    }
    void Status(const std::string& text) override
    {
        Form.statusBar()->showMessage(Win1251ToQString(text));
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void Busy(bool busy) override
    {
        if (busy) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            ++Cursors;
        } else if (Cursors > 0) {
            QGuiApplication::restoreOverrideCursor();
            --Cursors;
        }
    }
    void Message(const std::string& text) override
    {
        UserDialogs().ShowMessage(&Form, QString(), Win1251ToQString(text));
    }

private:
    TMainForm& Form;
    int Cursors = 0;
};

} // namespace

QString TPrintForm::PdfEntry()
{
    return U8("Файл в формате PDF");
}

QString TPrintForm::BmpEntry()
{
    return U8("Файл в формате Bmp");
}

TPrintForm::TPrintForm(TData* data, QWidget* parent) : TDialogForm(parent, 336, 289)
{
    DeckData = data;
    setObjectName(U8("PrintForm"));
    setWindowTitle(U8("Печать карт"));
    MakePdfPrinter(PdfPrinter);
    PreparePrinter(NativePrinter);
    Printer = &NativePrinter;

    OkButton = Button(this, "OkButton", QRect(256, 8, 75, 25), "&Печать");
    CancelButton = Button(this, "CancelButton", QRect(256, 40, 75, 25), "О&тмена");
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    GroupBox2 = Control("GroupBox2", QRect(4, 192, 245, 69), new QGroupBox(U8("Настройки"), this));
    ColorPrintCheck = CheckBox(GroupBox2, "ColorPrintCheck", QRect(12, 20, 133, 17), "&Цветная печать",
                               "Если этот режим отключен, то карты будут печататься в специальном черно-белом "
                               "варианте.");
    SmallSizeCheck = CheckBox(GroupBox2, "SmallSizeCheck", QRect(12, 44, 145, 17), "&Уменьшенный размер",
                              "Специальный уменьшенный размер карты, предназначенный для последующего "
                              "наклеивания на обычную игральную карту.");

    GroupBox3 = Control("GroupBox3", QRect(4, 4, 245, 89), new QGroupBox(U8("П&ринтер"), this));
    PrinterCombo = Control("PrinterCombo", QRect(8, 24, 229, 21), new QComboBox(GroupBox3));
    PrinterCombo->setEditable(false);
    Label2 = AutoLabel(GroupBox3, "Label2", 12, 52, U8("Размер страницы:"));
    PaperSizeLabel = AutoLabel(GroupBox3, "PaperSizeLabel", 12, 68, U8("PaperSizeLabel"));
    PrinterSetupButton = Button(GroupBox3, "PrinterSetupButton", QRect(162, 54, 75, 25), "Сво&йства...");

    GroupBox4 = Control("GroupBox4", QRect(4, 96, 245, 89), new QGroupBox(U8("Страницы"), this));
    Label3 = AutoLabel(GroupBox4, "Label3", 12, 16, U8("Карт на странице:"));
    CardOnPageCountLabel = AutoLabel(GroupBox4, "CardOnPageCountLabel", 112, 16, U8("CardOnPageCountLabel"));
    Label4 = AutoLabel(GroupBox4, "Label4", 132, 16, U8("Всего страниц:"));
    PageCountLabel = AutoLabel(GroupBox4, "PageCountLabel", 216, 16, U8("PageCountLabel"));
    AllPageRadio = Control("AllPageRadio", QRect(12, 36, 45, 17), new QRadioButton(U8("&Все"), GroupBox4));
    SelectPageRadio = Control("SelectPageRadio", QRect(12, 60, 85, 17),
                              new QRadioButton(U8("&Страницы   с:"), GroupBox4));
    AllPageRadio->setChecked(true);
    SelectStartEdit = Control("SelectStartEdit", QRect(104, 58, 41, 21), new QLineEdit(GroupBox4));
    Label1 = AutoLabel(GroupBox4, "Label1", 152, 60, U8("по:"));
    SelectEndEdit = Control("SelectEndEdit", QRect(172, 58, 41, 21), new QLineEdit(GroupBox4));

    BackSideCheck = CheckBox(this, "BackSideCheck", QRect(16, 268, 229, 17), "Печатать ру&башки карт",
                             "Вместо самих карт будет напечатана их рубашка.");

    // Tab order: down the left column (the printer, the pages, the settings, the
    // backs), then the buttons on the right.
    const QList<QWidget*> order{PrinterCombo,  PrinterSetupButton, AllPageRadio,    SelectPageRadio,
                                SelectStartEdit, SelectEndEdit,    ColorPrintCheck, SmallSizeCheck,
                                BackSideCheck, OkButton,           CancelButton};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(PrinterCombo, &QComboBox::activated, this, [this](int index) {
        Guarded([&] { PrinterComboChange(index); });
    });
    connect(PrinterSetupButton, &QPushButton::clicked, this, [this] { Guarded([&] { PrinterSetupButtonClick(); }); });
    connect(ColorPrintCheck, &QCheckBox::clicked, this, [this] { Guarded([&] { ColorPrintCheckClick(); }); });
    connect(SmallSizeCheck, &QCheckBox::clicked, this, [this] { Guarded([&] { SmallSizeCheckClick(); }); });
    connect(BackSideCheck, &QCheckBox::clicked, this, [this] { Guarded([&] { BackSideCheckClick(); }); });
    connect(SelectPageRadio, &QRadioButton::toggled, this, [this](bool on) { SelectPages = on; });
    SelectStartEdit->installEventFilter(this);
    SelectEndEdit->installEventFilter(this);
    ScaleForm(this);
    // The caption with its three blanks needs a few pixels more in the substitute of
    // the dialog font than the design gives it; it still ends before the start edit.
    SelectPageRadio->resize(std::max(SelectPageRadio->width(), SelectPageRadio->sizeHint().width()),
                            SelectPageRadio->height());
}

TPrintForm::~TPrintForm() = default;

bool TPrintForm::ToPdfFile() const
{
    return !ToBitmapFiles && Printer == &PdfPrinter;
}

// ---------------------------------------------------------------------------------------
// Handlers.

void TPrintForm::FormShow()
{
    ColorPrintCheck->setChecked(!PrintGrayscale);
    SmallSizeCheck->setChecked(PrintForPlayCard);
    PrintBackSides = false;
    BackSideCheck->setChecked(false);
    SelectStartEdit->clear();
    SelectEndEdit->clear();
    SelectPages = SelectPageRadio->isChecked();
    TakeRememberedOutput();
    FillPrinterList();
}

void TPrintForm::TakeRememberedOutput()
{
    const QString name = QString::fromStdString(PrintOutputName);
    PdfIsCurrent = name == QLatin1String("pdf");
    BmpIsCurrent = name == QLatin1String("bmp");
    if (!PdfIsCurrent && !BmpIsCurrent)
        CurrentPrinterName = name; // FillPrinterList takes the default when it is gone
}

void TPrintForm::FillPrinterList()
{
    const QStringList printers = InstalledPrinters ? InstalledPrinters() : QStringList();
    FFilling = true;
    PrinterCombo->clear();
    int selected = 0;
    if (!printers.isEmpty()) {
        PrinterCombo->addItems(printers);
        if (!printers.contains(CurrentPrinterName)) {
            const QString byDefault = DefaultPrinter ? DefaultPrinter() : QString();
            CurrentPrinterName = printers.contains(byDefault) ? byDefault : printers.first();
        }
        selected = PdfIsCurrent ? int(printers.size()) : int(printers.indexOf(CurrentPrinterName));
    }
    PrinterCombo->addItem(PdfEntry());
    PrinterCombo->addItem(BmpEntry());
    const int last = PrinterCombo->count() - 1;
    // Without an installed printer the page bitmaps are the output, unless the PDF
    // file was chosen as the printer.
    if (printers.isEmpty())
        selected = PdfIsCurrent ? last - 1 : last;
    if (BmpIsCurrent)
        selected = last;
    PrinterCombo->setCurrentIndex(selected);
    FFilling = false;
    SetOutputFromSelection();
    UpdateLayout();
}

void TPrintForm::SetOutputFromSelection()
{
    const int index = PrinterCombo->currentIndex();
    const int last = PrinterCombo->count() - 1;
    ToBitmapFiles = index == last;
    PrinterSetupButton->setEnabled(!ToBitmapFiles);
    if (ToBitmapFiles)
        return;
    if (index == last - 1) {
        Printer = &PdfPrinter;
        return;
    }
    Printer = &NativePrinter;
    if (NativePrinter.printerName() != CurrentPrinterName)
        NativePrinter.setPrinterName(CurrentPrinterName);
    PreparePrinter(NativePrinter);
}

void TPrintForm::PrinterComboChange(int index)
{
    if (FFilling)
        return;
    const int last = PrinterCombo->count() - 1;
    ToBitmapFiles = index == last;
    BmpIsCurrent = ToBitmapFiles;
    PrinterSetupButton->setEnabled(!ToBitmapFiles);
    if (ToBitmapFiles) {
        PrintOutputName = "bmp";
        UpdateLayout();
        return;
    }
    // The chosen printer becomes the current one; the list is read again.
    PdfIsCurrent = index == last - 1;
    if (!PdfIsCurrent)
        CurrentPrinterName = PrinterCombo->itemText(index);
    PrintOutputName = PdfIsCurrent ? std::string("pdf") : CurrentPrinterName.toStdString();
    FillPrinterList();
}

void TPrintForm::PrinterSetupButtonClick()
{
    if (!ToBitmapFiles && Printer && PrinterSetupRunner)
        PrinterSetupRunner(*Printer, this);
    FillPrinterList();
}

void TPrintForm::ColorPrintCheckClick()
{
    PrintGrayscale = !ColorPrintCheck->isChecked();
    UpdateLayout();
}

void TPrintForm::SmallSizeCheckClick()
{
    PrintForPlayCard = SmallSizeCheck->isChecked();
    UpdateLayout();
}

void TPrintForm::BackSideCheckClick()
{
    PrintBackSides = BackSideCheck->isChecked();
}

void TPrintForm::SelectStartEditKeyPress()
{
    SelectPageRadio->setChecked(true);
}

void TPrintForm::SelectStartEditExit()
{
    UpdateLayout();
}

void TPrintForm::SelectEndEditExit()
{
    UpdateLayout();
}

void TPrintForm::Refresh()
{
    SetLabel(CardOnPageCountLabel, QString::number(CardsPerPage()));
    SetLabel(PaperSizeLabel, Win1251ToQString(PaperSizeText()));
    bool ok = false;
    int start = SelectStartEdit->text().trimmed().toInt(&ok);
    if (!ok)
        start = FirstPage;
    int end = SelectEndEdit->text().trimmed().toInt(&ok);
    if (!ok)
        end = LastPage;
    SetRange(start, end);
    SelectStartEdit->setText(QString::number(RangeStart));
    SelectEndEdit->setText(QString::number(RangeEnd));
    SetLabel(PageCountLabel, QString::number(LastPage));
}

bool TPrintForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == SelectStartEdit || watched == SelectEndEdit) {
        if (event->type() == QEvent::KeyPress) {
            Guarded([&] { SelectStartEditKeyPress(); });
        } else if (event->type() == QEvent::FocusOut) {
            Guarded([&] {
                if (watched == SelectStartEdit)
                    SelectStartEditExit();
                else
                    SelectEndEditExit();
            });
        }
    }
    return TDialogForm::eventFilter(watched, event);
}

void TPrintForm::keyPressEvent(QKeyEvent* event)
{
    // Neither Enter nor Escape closes the dialog.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        TDialogForm::keyPressEvent(event);
    }
}

// ---------------------------------------------------------------------------------------
// Creation and the print command.

void CreatePrintForm(TMainForm& mainForm)
{
    DestroyPrintForm();
    PrintForm = new TPrintForm(mainForm.DataModule(), &mainForm);
    DialogHooks.Print = [&mainForm](QWidget* parent) {
        if (!PrintForm || PrintForm->ShowModal() != QDialog::Accepted)
            return;
        if (PrintForm->ToPdfFile()) {
            // The PDF file: the save dialog starts in "preprint" with the deck's name.
            const QString folder = QString::fromStdString(UserDir) + U8("preprint");
            QDir().mkpath(folder);
            const TData* data = PrintForm->DeckData ? PrintForm->DeckData : Data;
            QString base = data && !data->DeckFileName.empty()
                               ? QFileInfo(QFile::decodeName(QByteArray::fromStdString(data->DeckFileName))).completeBaseName()
                               : U8("deck");
            const QString file = UserDialogs().SaveFileName(parent, folder + U8("/") + base + U8(".pdf"),
                                                            U8("Файлы PDF (*.pdf)"), U8("pdf"));
            if (file.isEmpty())
                return;
            PrintForm->PdfPrinter.setOutputFileName(file);
        }
        TMainWindowFeedback feedback(mainForm);
        PrintForm->Feedback = &feedback;
        TScopeExit detach([] {
            if (PrintForm)
                PrintForm->Feedback = nullptr;
        });
        PrintForm->PrintCards();
    };
}

void DestroyPrintForm()
{
    delete PrintForm;
    PrintForm = nullptr;
    DialogHooks.Print = nullptr;
}
