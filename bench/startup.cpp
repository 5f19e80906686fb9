// From program start to the first card drawn: the run log, the folders, the fonts, the
// main window, the data module loading the card base, the first show drawing the card
// list's current card. Measured on the sample card base of the build and on a
// synthetic base of 100,000 cards (the sample cards repeated under numbered names),
// built once in a temporary program folder beside links to the build's data store.
#include "data/DataModule.h"
#include "data/Settings.h"
#include "ui/ErrorHandling.h"
#include "ui/MainForm.h"
#include "ui/Program.h"

#include "BenchSupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace {

const QString kBin = QString::fromUtf8(TOMELARK_BIN_DIR);

// A program folder whose data store holds its own card base; everything else of the
// store is linked from the build.
class TSyntheticProgram {
public:
    explicit TSyntheticProgram(int cards)
    {
        if (!Dir.isValid())
            throw std::runtime_error("no temporary folder");
        const QDir data(Dir.filePath("data"));
        QDir().mkpath(data.path());
        for (const QString& name : QDir(kBin + "/data").entryList(QDir::Files))
            if (name != "cardbase.cds")
                QFile::link(kBin + "/data/" + name, data.filePath(name));
        for (const char* name : {"images", "fonts"})
            QFile::link(kBin + "/" + name, Dir.filePath(QString::fromLatin1(name)));

        TTable sample;
        sample.LoadFromFile(QFile::encodeName(kBin + "/data/cardbase.cds").toStdString());
        TTable base;
        DefineCardBaseFields(base);
        base.CreateDataSet();
        const int n = sample.RecordCount();
        for (int i = 0; i < cards; ++i) {
            sample.SetRecNo(i % n + 1);
            base.Append();
            for (int f = 0; f < sample.FieldCount(); ++f)
                if (!sample.Field(f).IsNull())
                    base.FieldByName(sample.Field(f).FieldName()).SetValue(sample.Field(f).Value());
            if (i >= n) {
                const std::string suffix = " " + std::to_string(i / n);
                base.FieldByName("Name").SetAsString(sample.FieldByName("Name").AsString() + suffix);
                base.FieldByName("NameR").SetAsString(sample.FieldByName("NameR").AsString() + suffix);
            }
            base.Post();
        }
        base.SaveToFile(QFile::encodeName(data.filePath("cardbase.cds")).toStdString());
    }
    QString ProgramPath() const { return Dir.filePath("tomelark"); }

private:
    QTemporaryDir Dir;
};

void StartToFirstCard(benchmark::State& state, const QString& programPath)
{
    int cards = 0;
    for (auto _ : state) {
        auto session = std::make_unique<TProgramSession>(programPath);
        session->MainWindow().show(); // the first show draws the card list's current card
        if (session->MainWindow().DrawCount != 1 || !session->DataModule().Ready) {
            state.SkipWithError("the first card was not drawn");
            break;
        }
        state.PauseTiming();
        cards = session->DataModule().BaseTable.RecordCount();
        session.reset();
        state.ResumeTiming();
    }
    state.counters["cards"] = cards;
}

void BM_StartupBundledBase(benchmark::State& state)
{
    StartToFirstCard(state, kBin + "/tomelark");
}

void BM_StartupSyntheticBase100k(benchmark::State& state)
{
    static std::unique_ptr<TSyntheticProgram> program;
    if (!program) {
        try {
            program = std::make_unique<TSyntheticProgram>(100000);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            for (auto _ : state) {
            }
            return;
        }
    }
    StartToFirstCard(state, program->ProgramPath());
}

BENCHMARK(BM_StartupBundledBase)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartupSyntheticBase100k)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    // No display needed, and the user's own settings stay untouched.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()).constData(), 1);
    SetProgramIdentity();
    TApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}
