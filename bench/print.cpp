// Printing a 60-card deck (the sample deck "green-red.mdc") with the print run of the
// print dialog: to page bitmaps (three 3425 x 4845 pictures written as files) and to
// a PDF file of A4 pages (seven pages of nine cards), on the data store built beside
// the program.
#include "Library/Common/ExtUtils.h"
#include "data/DataModule.h"
#include "data/Settings.h"
#include "print/Print.h"
#include "render/Fonts.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QPrinter>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

std::unique_ptr<TBenchFolder> Folder;
std::unique_ptr<TData> Module;

void BM_Deck60_PageBitmaps(benchmark::State& state)
{
    TPrintRun run;
    run.DeckData = Module.get();
    run.ToBitmapFiles = true;
    run.BitmapFolder = Folder->Path("preprint");
    run.UpdateLayout();
    for (auto _ : state)
        run.PrintCards();
    state.counters["pages"] = double(run.SavedFiles.size());
}

void BM_Deck60_PdfA4(benchmark::State& state)
{
    QPrinter printer(QPrinter::HighResolution);
    MakePdfPrinter(printer);
    printer.setOutputFileName(QFile::decodeName(Folder->Path("deck.pdf").c_str()));
    TPrintRun run;
    run.DeckData = Module.get();
    run.Printer = &printer;
    run.UpdateLayout();
    for (auto _ : state)
        run.PrintCards();
    state.counters["pages"] = double(run.LastPage);
    state.counters["bytes"] = double(QFile(printer.outputFileName()).size());
}

BENCHMARK(BM_Deck60_PageBitmaps)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Deck60_PdfA4)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return RunDrawingBenchmarks(
        argc, argv,
        [] {
            Folder = std::make_unique<TBenchFolder>();
            Module = std::make_unique<TData>();
            Module->LoadDeck(std::string(TOMELARK_BIN_DIR) + "/decks/green-red.mdc");
            CardTextType = 0; // the data module read the settings
        },
        [] {
            Module.reset();
            Folder.reset();
        });
}
