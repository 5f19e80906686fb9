#pragma once
// Printing the deck as proxy cards: the page layout and the print run.
//
// Every copy of every deck card gets one cell of a regular grid; pages are filled
// left to right, then top to bottom, and go to a printer (any QPrinter: an installed
// printer or a PDF file) or to page bitmaps of 5 x 5 cells at 300 dpi, written as
// Windows bitmap files. Each cell's outline is the cutting frame; the card face comes
// from DrawCard, with IsPrinting set for the whole run.
//
// All layout lengths are tenths of a millimetre. Printer pages are drawn through the
// canvas in its metric mapping (0.1 mm, y upwards from the printable area's top-left
// corner); page bitmaps in pixels at 300 dpi, a length of L tenths of a millimetre
// being round(L * 300 / 254) pixels.
//
// TPrintRun holds the layout fields and runs the job; the print dialog (TPrintForm)
// derives from it and shows the fields, the command-line tool uses it directly.
// Nothing here touches QtWidgets: what the run shows (the status text, the busy
// cursor, the end message) goes through TPrintFeedback.
#include "Library/Common/ExtUtils.h"

#include <cstdint>
#include <string>
#include <vector>

class QPrinter;
class TData;

// Paper and printable area of a printer's current page layout.
struct TPrinterPage {
    int32_t PaperWidthMm = 0;  // whole millimetres
    int32_t PaperHeightMm = 0;
    int32_t AreaWidth = 0;     // tenths of a millimetre, rounded down
    int32_t AreaHeight = 0;
};
TPrinterPage PrinterPageOf(const QPrinter& printer);

// The resolution printer output is laid out at: text and vectors stay exact in PDF
// and on the printer; split cards and smoothed symbols become pictures of this
// resolution.
inline constexpr int kPrinterDpi = 600;
// Puts a printer into the state the print run expects (resolution, page relative
// to the printable area).
void PreparePrinter(QPrinter& printer);
// A printer that writes PDF files: A4 portrait unless told otherwise, the printable
// area being the paper less 5 mm on every side.
void MakePdfPrinter(QPrinter& printer, double paperWidthMm = 210, double paperHeightMm = 297);

// What a print run shows its user.
class TPrintFeedback {
public:
    virtual ~TPrintFeedback() = default;
    // The status bar text ("Идет печать страницы 2 из 5", "Печать завершена");
    // Windows-1251.
    virtual void Status(const std::string& text) = 0;
    // The hourglass cursor on (true) and off (false).
    virtual void Busy(bool busy) = 0;
    // A plain notice with an OK button (the page bitmaps' end message).
    virtual void Message(const std::string& text) = 0;
};

class TPrintRun {
public:
    virtual ~TPrintRun() = default;

    // --- Layout fields (set by UpdateLayout, read by PrintCards and the dialog) ------
    int32_t PaperWidthMm = 0, PaperHeightMm = 0; // whole millimetres
    int32_t AreaWidth = 0, AreaHeight = 0;       // printable area, 0.1 mm
    int32_t Columns = 0, Rows = 0;               // cards across and down one page
    int32_t FirstPage = 1, LastPage = 1;         // the whole job
    int32_t RangeStart = 1, RangeEnd = 1;        // the page range of the dialog
    int32_t BmpColumns = 5, BmpRows = 5;         // cells of one page bitmap
    int32_t CellWidth = 0, CellHeight = 0;       // one cell, its outline the cutting frame
    int32_t CardWidth = 0, CardHeight = 0;       // the card picture, centred in its cell
    bool ToBitmapFiles = false;                  // page bitmaps instead of the printer
    bool PrintBackSides = false;                 // every copy as the card back
    // The dialog's "pages from ... to" choice: print RangeStart..RangeEnd instead of
    // FirstPage..LastPage.
    bool SelectPages = false;

    // --- What the run works on ----------------------------------------------------------
    // The data module whose deck is printed (the program's one when null).
    TData* DeckData = nullptr;
    // The printer for printer output (not owned).
    QPrinter* Printer = nullptr;
    // Where page bitmaps go, with a trailing separator; empty: "preprint/" below the
    // program's folder.
    std::string BitmapFolder;
    TPrintFeedback* Feedback = nullptr;
    // The page bitmap files this run saved, in order.
    std::vector<std::string> SavedFiles;

    // Cards on one page; 0 when not even one cell fits the printable area.
    int32_t CardsPerPage() const { return Columns * Rows; }

    // Where slot `slot` of a page lies on the output: its cell (the cutting frame runs
    // along it) and the card picture centred in it. Page bitmaps: pixels, y down;
    // printer pages: 0.1 mm in the metric mapping, y up from the printable area's
    // top-left corner (so the rectangles' tops are above their bottoms).
    struct TSlotPlace {
        TRect Cell;
        TRect Card;
    };
    TSlotPlace SlotPlace(int32_t slot) const;

    // Recomputes every layout field except the range and the booleans from the deck
    // total, the output, the PrintForPlayCard setting and the printer's page, then
    // runs Refresh.
    void UpdateLayout();
    // The dialog's part of UpdateLayout: labels and the page range. Here: the range
    // limited to the job.
    virtual void Refresh();
    // RangeStart and RangeEnd from the two numbers the user gave (an absent number
    // takes the first or last page; a start after the end is taken the other way
    // round), limited to the job.
    void SetRange(int32_t start, int32_t end);

    // Prints the deck with the layout as it stands. Before any output it refuses a
    // layout without one cell per page ("Карта не помещается на странице") and a deck
    // entry whose card is not in the card base ("Не найдена карта <name> [<set>]").
    // The completion (saving the last page bitmap or ending the printer's document,
    // unlocking the deck, "Печать завершена", the cursor, IsPrinting) runs also when
    // an error interrupts the run; the error then reaches the caller.
    void PrintCards();
    // The spooler's question during a printer job: go on (true) until the job has
    // been aborted.
    bool PrintAbortProc() const;

    // The page bitmap folder in use, with a trailing separator.
    std::string PageFolder() const;
    // The file page `page` of the job is saved as.
    std::string PageFileName(int page) const;
    // The page bitmaps' end message, its lines ended by LF CR.
    std::string EndMessage() const;
    // The paper size as the dialog shows it: "210 мм / 297 мм" (Windows-1251).
    std::string PaperSizeText() const;

private:
    TData& DeckModule() const;
    void CheckDeckCards();
};

// Pixels at 300 dpi for a length in tenths of a millimetre.
int32_t BitmapPixels(int32_t tenthsOfMm);

// The title of a printer job for the deck: its first name line, else its file's name
// without extension, else "Колода" (Windows-1251).
std::string DeckJobTitle(const TData& data);
