// tomelark-datagen: draws the pictures of the data store.
//
//   tomelark-datagen OUTDIR [--font TTF] [--cards JSON]
//       OUTDIR/data/<code>.jpg        frames W B U G R Z A L, LW LU LG LR LB, card back S
//       OUTDIR/data/<Set>_<r>.gif     set symbols, rarities C U R
//       OUTDIR/images/<Set>/<art>.jpg art of every card of JSON (skipped without --cards)
//   tomelark-datagen --font-sheet TTF OUT.png
//       a picture of the symbol font's glyphs, to check them by eye
//
// Everything is drawn here; the output is the same on every run.
#include "Art.h"
#include "CardList.h"
#include "Frames.h"
#include "SetSymbols.h"
#include "data/Sets.h"
#include "Symbols.h"

#include "Library/Common/ExtUtils.h"
#include "Library/Common/ImageCodecs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kJpegQuality = 92;

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
        || !file.flush())
        throw Exception("Cannot write " + path.toStdString());
}

void WriteJpeg(const QString& path, const QImage& image)
{
    WriteFile(path, EncodeJpeg(image, kJpegQuality));
}

void WriteGif(const QString& path, const QImage& argb)
{
    int transparent = -1;
    const QImage indexed = ToPalettePicture(argb, &transparent);
    WriteFile(path, EncodeGif(indexed, transparent));
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: tomelark-datagen OUTDIR [--font TTF] [--cards JSON]\n"
                 "       tomelark-datagen --font-sheet TTF OUT.png\n");
    return 2;
}

int Generate(const QString& outDir, const QString& fontPath, const QString& cardsPath)
{
    QRawFont symbols;
    if (!fontPath.isEmpty()) {
        symbols = LoadSymbolFont(fontPath);
        if (!symbols.isValid())
            throw Exception("Cannot load the symbol font " + fontPath.toStdString());
    }
    const QString data = outDir + "/data/";
    for (const std::string& code : FrameCodes())
        WriteJpeg(data + QString::fromStdString(code) + ".jpg", DrawFrame(code, symbols));
    // The set symbols as the set table describes them: none for an edition printed
    // without one, one black emblem for every rarity before Exodus, three after.
    int symbolCount = 0;
    for (const TSetInfo& set : AllSets()) {
        if (set.Symbol.empty())
            continue;
        const QString code = QString::fromLatin1(set.Code.data(), qsizetype(set.Code.size()));
        const std::string drawing(set.Symbol);
        if (!set.RarityColours) {
            WriteGif(data + code + ".gif", DrawSetSymbol(drawing, 'C'));
            ++symbolCount;
            continue;
        }
        for (char rarity : {'C', 'U', 'R'}) {
            WriteGif(data + code + "_" + QChar::fromLatin1(rarity) + ".gif", DrawSetSymbol(drawing, rarity));
            ++symbolCount;
        }
    }
    int art = 0;
    if (!cardsPath.isEmpty() && QFile::exists(cardsPath)) {
        // One picture per card of the whole base: drawn on every core, each thread
        // taking the next job; the first error stops the others and is raised.
        const std::vector<TArtJob> jobs = ReadArtJobs(cardsPath);
        std::atomic<size_t> next{0};
        std::atomic<bool> failed{false};
        std::mutex lock;
        std::string error;
        auto work = [&] {
            for (size_t i; !failed && (i = next++) < jobs.size();) {
                try {
                    const TArtJob& job = jobs[i];
                    WriteJpeg(outDir + "/images/" + QString::fromStdString(job.Set) + "/"
                                  + QString::fromStdString(job.FileName) + ".jpg",
                              DrawArt(job.Card));
                } catch (const std::exception& e) {
                    std::lock_guard<std::mutex> guard(lock);
                    if (!failed.exchange(true))
                        error = e.what();
                }
            }
        };
        std::vector<std::thread> threads;
        const unsigned count = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
        for (unsigned t = 1; t < count; ++t)
            threads.emplace_back(work);
        work();
        for (std::thread& t : threads)
            t.join();
        if (failed)
            throw Exception(error);
        art = int(jobs.size());
    }
    std::printf("tomelark-datagen: %d frames, %d set symbols, %d art pictures in %s\n",
                int(FrameCodes().size()), symbolCount, art, outDir.toLocal8Bit().constData());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Drawing text and loading fonts need an application object; no display is used.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qargc = 1;
    QGuiApplication app(qargc, argv);

    std::vector<QString> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(QString::fromLocal8Bit(argv[i]));
    try {
        if (!args.empty() && args[0] == "--font-sheet") {
            if (args.size() != 3)
                return Usage();
            const QRawFont font = LoadSymbolFont(args[1]);
            if (!font.isValid())
                throw Exception("Cannot load the symbol font " + args[1].toStdString());
            if (!DrawSymbolSheet(font, args[1]).save(args[2]))
                throw Exception("Cannot write " + args[2].toStdString());
            return 0;
        }
        QString outDir, fontPath, cardsPath;
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--font" && i + 1 < args.size())
                fontPath = args[++i];
            else if (args[i] == "--cards" && i + 1 < args.size())
                cardsPath = args[++i];
            else if (!args[i].startsWith("--") && outDir.isEmpty())
                outDir = args[i];
            else
                return Usage();
        }
        if (outDir.isEmpty())
            return Usage();
        return Generate(outDir, fontPath, cardsPath);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tomelark-datagen: %s\n", e.what());
        return 1;
    }
}
