#include "print/Print.h"

#include "data/DeckFile.h"

#include "Library/Common/FileUtils.h"
#include "Library/Common/ImageCodecs.h"
#include "Library/Common/ImageUtils.h"
#include "data/DataModule.h"
#include "data/Settings.h"
#include "render/Canvas.h"
#include "render/CardView.h"

#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace {

// Cell and card picture sizes, 0.1 mm: printer normal and reduced. Page bitmaps take
// the printer's card picture 1 mm larger, and the cell of the same size.
struct TCellSizes {
    int32_t CellWidth, CellHeight, CardWidth, CardHeight;
};
constexpr TCellSizes kPrinterNormal{620, 870, 570, 810};
constexpr TCellSizes kPrinterReduced{576, 894, 556, 784};

constexpr int kBitmapDpi = 300;

std::string W(const char* utf8)
{
    return Utf8ToWin1251(utf8);
}

// The first error of the completion's steps is kept; every step still runs.
template <class F>
void CompletionStep(std::exception_ptr& error, F&& step) noexcept
{
    try {
        step();
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
}

// Moves the deck to its next row that takes slots (a count of at least 1); false
// past the last row.
bool SkipEmptyRows(TData& data)
{
    TTable& deck = data.DeckTable;
    while (!deck.Eof() && data.DeckTableCount->AsInteger() < 1)
        deck.Next();
    return !deck.Eof();
}

// The deck's entries with at least one copy, in deck order, taken in one locked walk
// that gives the deck's current entry and its grids back at its end.
std::vector<std::pair<TCardKey, int32_t>> DeckEntries(TData& data)
{
    TTable& deck = data.DeckTable;
    std::vector<std::pair<TCardKey, int32_t>> entries;
    data.LockDataSet(deck);
    try {
        for (deck.First(); SkipEmptyRows(data); deck.Next())
            entries.emplace_back(data.GetCardKey(deck), data.DeckTableCount->AsInteger());
    } catch (...) {
        data.UnlockDataSet(deck);
        throw;
    }
    data.UnlockDataSet(deck);
    return entries;
}

} // namespace

std::string DeckJobTitle(const TData& data)
{
    const std::string firstName = data.DeckName.substr(0, data.DeckName.find('\r'));
    if (!TrimDeckText(firstName).empty())
        return TrimDeckText(firstName);
    if (!data.DeckFileName.empty()) {
        std::string file = data.DeckFileName.substr(data.DeckFileName.find_last_of('/') + 1);
        const size_t dot = file.find_last_of('.');
        if (dot != std::string::npos && dot > 0)
            file.erase(dot);
        return Utf8ToWin1251(file);
    }
    return W("Колода");
}

int32_t BitmapPixels(int32_t tenthsOfMm)
{
    return RoundSaturated(double(tenthsOfMm) * kBitmapDpi / 254.0);
}

TPrinterPage PrinterPageOf(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
    const QRectF area = layout.paintRect(QPageLayout::Millimeter);
    TPrinterPage page;
    page.PaperWidthMm = RoundSaturated(paper.width());
    page.PaperHeightMm = RoundSaturated(paper.height());
    // Rounded down: a cell is never placed past what the printer can reach. The small
    // addition keeps 200.0 mm from becoming 1999 through the unit conversion.
    page.AreaWidth = std::max(0, int32_t(std::floor(area.width() * 10.0 + 1e-6)));
    page.AreaHeight = std::max(0, int32_t(std::floor(area.height() * 10.0 + 1e-6)));
    return page;
}

void PreparePrinter(QPrinter& printer)
{
    printer.setFullPage(false);
    printer.setResolution(kPrinterDpi);
    // The grey version is the program's own (PrintGrayscale); a queue that defaults
    // to greyscale would otherwise turn every colour print grey.
    printer.setColorMode(QPrinter::Color);
}

void MakePdfPrinter(QPrinter& printer, double paperWidthMm, double paperHeightMm)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    const bool landscape = paperWidthMm > paperHeightMm;
    const QSizeF portrait(std::min(paperWidthMm, paperHeightMm), std::max(paperWidthMm, paperHeightMm));
    const QPageSize size(portrait, QPageSize::Millimeter, QString(), QPageSize::FuzzyMatch);
    printer.setPageLayout(QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    PreparePrinter(printer);
}

// ---------------------------------------------------------------------------------------
// Layout.

TData& TPrintRun::DeckModule() const
{
    TData* data = DeckData ? DeckData : Data;
    if (!data)
        throw EError(W("Колода недоступна"));
    return *data;
}

void TPrintRun::UpdateLayout()
{
    const TData* data = DeckData ? DeckData : Data;
    const int32_t total = data ? data->DeckTotal : 0;

    const TCellSizes& sizes = PrintForPlayCard ? kPrinterReduced : kPrinterNormal;
    CellWidth = sizes.CellWidth;
    CellHeight = sizes.CellHeight;
    CardWidth = sizes.CardWidth;
    CardHeight = sizes.CardHeight;

    if (ToBitmapFiles) {
        CardWidth += 10;
        CardHeight += 10;
        CellWidth = CardWidth;
        CellHeight = CardHeight;
        BmpColumns = 5;
        BmpRows = 5;
        AreaWidth = CellWidth * BmpColumns;
        AreaHeight = CellHeight * BmpRows;
        PaperWidthMm = AreaWidth / 10;
        PaperHeightMm = AreaHeight / 10;
    } else {
        const TPrinterPage page = Printer ? PrinterPageOf(*Printer) : TPrinterPage{};
        PaperWidthMm = page.PaperWidthMm;
        PaperHeightMm = page.PaperHeightMm;
        AreaWidth = page.AreaWidth;
        AreaHeight = page.AreaHeight;
    }

    Columns = AreaWidth / CellWidth;
    Rows = AreaHeight / CellHeight;
    FirstPage = 1;
    // Not even one cell on a page: no page count, and nothing to divide by.
    LastPage = CardsPerPage() > 0 ? (total - 1) / CardsPerPage() + 1 : 0;
    Refresh();
}

void TPrintRun::Refresh()
{
    SetRange(RangeStart, RangeEnd);
}

void TPrintRun::SetRange(int32_t start, int32_t end)
{
    // "From 5 to 2" means pages 2 to 5.
    if (start > end)
        std::swap(start, end);
    RangeStart = Median3(start, FirstPage, LastPage);
    RangeEnd = Median3(end, RangeStart, LastPage);
}

std::string TPrintRun::PaperSizeText() const
{
    return std::to_string(PaperWidthMm) + W(" мм / ") + std::to_string(PaperHeightMm) + W(" мм");
}

TPrintRun::TSlotPlace TPrintRun::SlotPlace(int32_t slot) const
{
    int32_t cw, ch, kw, kh;
    if (ToBitmapFiles) {
        cw = BitmapPixels(CellWidth);
        ch = BitmapPixels(CellHeight);
        kw = BitmapPixels(CardWidth);
        kh = BitmapPixels(CardHeight);
    } else {
        cw = CellWidth;
        ch = -CellHeight;
        kw = CardWidth;
        kh = -CardHeight;
    }
    const int32_t columns = std::max(1, Columns);
    const int32_t x = (slot % columns) * cw;
    const int32_t y = (slot / columns) * ch;
    // Divisions truncate toward zero, also for the printer's negative heights.
    const int32_t left = x + (cw - kw) / 2;
    const int32_t top = y + (ch - kh) / 2;
    return TSlotPlace{TRect{x, y, x + cw, y + ch}, TRect{left, top, left + kw, top + kh}};
}

// ---------------------------------------------------------------------------------------
// Page bitmap files.

std::string TPrintRun::PageFolder() const
{
    if (!BitmapFolder.empty())
        return BitmapFolder.back() == '/' ? BitmapFolder : BitmapFolder + "/";
    return UserDir + "preprint/";
}

std::string TPrintRun::PageFileName(int page) const
{
    return PageFolder() + "page" + std::to_string(page) + ".bmp";
}

std::string TPrintRun::EndMessage() const
{
    // Paths are native text; the message is Windows-1251.
    return W("Изображения карт были сохранены в файлах:") + "\n\r" + Utf8ToWin1251(PageFolder())
           + "page*.bmp" + "\n\r" + W("где * - № страницы");
}

bool TPrintRun::PrintAbortProc() const
{
    return Printer && Printer->printerState() != QPrinter::Aborted;
}

// ---------------------------------------------------------------------------------------
// The run.

void TPrintRun::CheckDeckCards()
{
    TData& data = DeckModule();
    TTable& deck = data.DeckTable;
    data.LockDataSet(deck);
    try {
        for (deck.First(); SkipEmptyRows(data); deck.Next()) {
            const TCardKey key = data.GetCardKey(deck);
            if (!data.LocateCard(key.Name, key.Set, key.Version))
                throw EError(W("Не найдена карта ") + key.Name + " [" + key.Set + "]");
        }
    } catch (...) {
        data.UnlockDataSet(deck);
        throw;
    }
    data.UnlockDataSet(deck);
}

void TPrintRun::PrintCards()
{
    TData& data = DeckModule();
    TTable& deck = data.DeckTable;
    // 1. Nothing to print.
    if (!deck.Active() || deck.RecordCount() == 0)
        return;
    // Refusals before any output: a page without room for one card, a card that the
    // card base does not have (its proxy would show whatever record the base stands on).
    const int32_t perPage = CardsPerPage();
    if (perPage <= 0)
        throw EError(W("Карта не помещается на странице"));
    if (!PrintBackSides)
        CheckDeckCards();

    // 2. The pages to print.
    const int32_t first = SelectPages ? RangeStart : FirstPage;
    const int32_t last = SelectPages ? RangeEnd : LastPage;
    SavedFiles.clear();

    // 3. The output.
    QImage sheet;
    std::unique_ptr<TCanvas> canvas;
    std::optional<TReplacingFile> pdfFile;
    QString pdfTarget;
    if (ToBitmapFiles) {
        sheet = QImage(BitmapPixels(CellWidth) * BmpColumns, BitmapPixels(CellHeight) * BmpRows, kBitmap24Format);
        if (sheet.isNull())
            throw EError(W("Недостаточно памяти для страницы"));
        const int dotsPerMeter = RoundSaturated(kBitmapDpi / 0.0254);
        sheet.setDotsPerMeterX(dotsPerMeter);
        sheet.setDotsPerMeterY(dotsPerMeter);
        canvas = std::make_unique<TCanvas>(sheet, kBitmapDpi, kBitmapDpi);
    } else {
        if (!Printer)
            throw EError(W("Принтер не выбран"));
        if (Printer->printerState() == QPrinter::Active)
            Printer->abort();
        // The job carries the deck's name (the queue and the printer's panel show it).
        Printer->setDocName(Win1251ToQString(DeckJobTitle(data)));
        // A PDF file is written beside its target and put in place only when the job
        // ends well, so a failed or empty job leaves no file, and an older file stays.
        if (Printer->outputFormat() == QPrinter::PdfFormat) {
            pdfTarget = Printer->outputFileName();
            if (pdfTarget.isEmpty())
                throw EError(W("Не задан файл PDF"));
            pdfFile.emplace(QFile::encodeName(pdfTarget).toStdString());
            Printer->setOutputFileName(QFile::decodeName(pdfFile->TempPath().c_str()));
        }
    }
    // The printer's document begins with its first card: a job that would draw none
    // never starts, so no blank sheet can come out (not every print system can abort
    // a job once it began).
    auto beginDocument = [&] {
        if (canvas)
            return;
        canvas = std::make_unique<TCanvas>(*Printer, Printer->resolution(), Printer->resolution());
        if (!canvas->Painter().isActive()) {
            canvas.reset();
            throw EError(W("Не удалось начать печать на принтере ") + QStringToWin1251(Printer->printerName()));
        }
        canvas->SetMapMode(TMapMode::Metric);
    };

    // A blank page bitmap: white brush and pen over the whole picture, through the
    // canvas that draws on it.
    auto paintWhite = [&] {
        canvas->BrushClear = false;
        canvas->BrushColor = Qt::white;
        canvas->PenColor = Qt::white;
        canvas->FillRect(TRect{0, 0, sheet.width(), sheet.height()});
    };
    if (ToBitmapFiles)
        paintWhite();

    // 4. From here on the completion runs in every case.
    IsPrinting = true;
    if (Feedback)
        Feedback->Busy(true);
    std::exception_ptr error;
    bool anyUsed = false;
    bool pageUsed = false;
    int32_t page = 1;
    auto savePage = [&] {
        std::error_code ec;
        std::filesystem::create_directories(PageFolder(), ec);
        const std::string path = PageFileName(page);
        const QByteArray bytes = EncodeBmp(sheet);
        WriteFileReplacing(path, std::string_view(bytes.constData(), size_t(bytes.size())));
        SavedFiles.push_back(path);
    };

    try {
        // 5. Geometry on the output: SlotPlace, in pixels or (printer pages, whose
        // canvas is switched as the document begins) in the metric mapping.

        // 6. The deck's entries, taken once: the deck's grid goes on showing the deck
        // while the pages are drawn.
        const std::vector<std::pair<TCardKey, int32_t>> entries = DeckEntries(data);
        size_t entry = 0;
        int32_t slot = 0;
        int32_t copies = entries.empty() ? 0 : entries[0].second;

        // 7. One slot a step.
        while (entry < entries.size()) {
            if (slot == perPage) {
                // The rest of the deck lies beyond the range: no page is begun for it.
                if (page >= last)
                    break;
                if (pageUsed) {
                    if (ToBitmapFiles) {
                        savePage();
                        paintWhite();
                    } else if (!Printer->newPage()) {
                        throw EError(W("Не удалось начать новую страницу на принтере"));
                    }
                }
                slot = 0;
                ++page;
                pageUsed = false;
            }
            if (IsBetween(page, first, last)) {
                if (!ToBitmapFiles) {
                    if (!PrintAbortProc())
                        break;
                    beginDocument();
                }
                if (Feedback)
                    Feedback->Status(W("Идет печать страницы ") + std::to_string(page - first + 1) + W(" из ")
                                     + std::to_string(last - first + 1));
                const TSlotPlace place = SlotPlace(slot);
                TCard card;
                if (!PrintBackSides) {
                    const TCardKey& key = entries[entry].first;
                    if (!data.LocateCard(key.Name, key.Set, key.Version))
                        throw EError(W("Не найдена карта ") + key.Name + " [" + key.Set + "]");
                    data.ReadCard(card);
                }
                DrawCard(card, *canvas, place.Card);

                // The cutting frame, one logical unit wide. On a page bitmap it lies on
                // the cell's own outermost pixels: along the cell's far edges it would
                // fall on the next cell, and for the last column and row off the page.
                const TRect& c = place.Cell;
                const int32_t inner = ToBitmapFiles ? 1 : 0;
                canvas->PenColor = Qt::black;
                canvas->PenWidth = 1;
                canvas->BrushClear = true;
                canvas->Polygon({TPoint{c.Left, c.Top}, TPoint{c.Right - inner, c.Top},
                                 TPoint{c.Right - inner, c.Bottom - inner}, TPoint{c.Left, c.Bottom - inner}});
                canvas->BrushClear = false;
                pageUsed = true;
                anyUsed = true;
            }
            ++slot;
            if (--copies <= 0 && ++entry < entries.size())
                copies = entries[entry].second;
        }
    } catch (...) {
        error = std::current_exception();
    }

    // 8. Completion.
    if (ToBitmapFiles) {
        CompletionStep(error, [&] {
            if (anyUsed && pageUsed)
                savePage();
        });
        // The message tells where the pages are: not after a run that failed.
        CompletionStep(error, [&] {
            if (anyUsed && !error && Feedback)
                Feedback->Message(EndMessage());
        });
        canvas.reset();
        sheet = QImage();
    } else {
        CompletionStep(error, [&] {
            const bool aborted = Printer->printerState() == QPrinter::Aborted;
            if (canvas && anyUsed && !aborted) {
                canvas->Painter().end();
                canvas.reset();
                if (Printer->printerState() == QPrinter::Error)
                    throw EError(W("Ошибка печати на принтере ") + QStringToWin1251(Printer->printerName()));
                if (pdfFile)
                    pdfFile->Commit();
            } else if (canvas) {
                // The job was cancelled: no sheet comes out.
                Printer->abort();
                canvas.reset();
            }
        });
        canvas.reset();
        if (pdfFile) {
            Printer->setOutputFileName(pdfTarget);
            pdfFile.reset(); // removes the temporary file unless it was put in place
        }
    }
    CompletionStep(error, [&] {
        if (Feedback)
            Feedback->Status(W("Печать завершена"));
    });
    CompletionStep(error, [&] {
        if (Feedback)
            Feedback->Busy(false);
    });
    IsPrinting = false;
    if (error)
        std::rethrow_exception(error);
}
