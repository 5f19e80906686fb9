#pragma once
// The print dialog TPrintForm, "Печать карт": the output (an installed printer, a PDF
// file or page bitmaps), the printer's own page setup, the paper size, cards per page
// and page count, all pages or a page range, colour or grey print, normal or reduced
// size, faces or backs. The layout and the print run are TPrintRun's (print/Print.h);
// the dialog shows its fields and keeps them up to date. On OK the main window's print
// command runs PrintCards.
//
// The printer list holds the installed printers in the system's order, then
// "Файл в формате PDF", then, last, "Файл в формате Bmp" (page bitmaps). The two
// print settings change at once when their boxes are clicked, also when the dialog is
// then cancelled. Enter and Escape do not close the dialog; its close box cancels.
#include "print/Print.h"
#include "ui/DialogForm.h"

#include <QPointer>
#include <QPrinter>
#include <QStringList>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TData;
class TMainForm;

class TPrintForm : public TDialogForm, public TPrintRun {
    Q_OBJECT
public:
    // data may be null: the program's data module is used.
    explicit TPrintForm(TData* data, QWidget* parent = nullptr);
    ~TPrintForm() override;

    // --- Handlers ----------------------------------------------------------------------
    void FormShow() override;
    void FillPrinterList();
    void PrinterComboChange(int index);
    void PrinterSetupButtonClick();
    void ColorPrintCheckClick();
    void SmallSizeCheckClick();
    void BackSideCheckClick();
    void SelectStartEditKeyPress();
    void SelectStartEditExit();
    void SelectEndEditExit();
    // The refresh step of UpdateLayout: the labels and the page range from the edits.
    void Refresh() override;

    // The entries after the installed printers.
    static QString PdfEntry();
    static QString BmpEntry();
    // True when the PDF entry is the selected output.
    bool ToPdfFile() const;
    // The installed printers, in the system's order. Replaceable (tests).
    static std::function<QStringList()> InstalledPrinters;
    // The system's default printer (empty when none). Replaceable (tests).
    static std::function<QString()> DefaultPrinter;
    // Shows the page setup of a printer (paper size, orientation); replaceable so that
    // no modal loop runs unattended.
    static std::function<void(QPrinter& printer, QWidget* parent)> PrinterSetupRunner;

    // The printer objects: the installed printer chosen last, and the PDF printer.
    QPrinter NativePrinter{QPrinter::HighResolution};
    QPrinter PdfPrinter{QPrinter::HighResolution};
    // The installed printer that is current (empty: none chosen yet, the default).
    QString CurrentPrinterName;
    // The PDF entry was chosen last (as the current printer).
    bool PdfIsCurrent = false;
    // The page bitmaps were chosen last.
    bool BmpIsCurrent = false;
    // The output remembered in the settings (PrintOutputName) made current; the
    // system's default printer when it names a printer that is gone.
    void TakeRememberedOutput();

    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* ColorPrintCheck = nullptr;
    QCheckBox* SmallSizeCheck = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QComboBox* PrinterCombo = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* PaperSizeLabel = nullptr;
    QPushButton* PrinterSetupButton = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* CardOnPageCountLabel = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* PageCountLabel = nullptr;
    QRadioButton* AllPageRadio = nullptr;
    QRadioButton* SelectPageRadio = nullptr;
    QLineEdit* SelectStartEdit = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* SelectEndEdit = nullptr;
    QCheckBox* BackSideCheck = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void SetOutputFromSelection();
    bool FFilling = false;
};

// Cleared when the dialog is destroyed (also together with the main window).
extern QPointer<TPrintForm> PrintForm;
// Creates PrintForm and fills the print hook: the dialog, then on OK (and, for a PDF,
// a file name) the print run, with the main window's status bar and cursor.
void CreatePrintForm(TMainForm& mainForm);
void DestroyPrintForm();
