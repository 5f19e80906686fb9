#include "render/Fonts.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

namespace {

// Text fonts of the card face and what stands in for them on systems without them,
// best match first.
struct TSubstitute {
    const char* family;
    const char* substitutes[3];
};

const TSubstitute kSubstitutes[] = {
    {"Georgia", {"PT Serif", "P052", "DejaVu Serif"}},
    {"Palatino Linotype", {"P052", "Palatino", "PT Serif"}},
};

bool SymbolFontPresent()
{
    return QFontDatabase::families().contains(QString::fromLatin1(kSymbolFontFamily));
}

void SetUpSubstitutes()
{
    const QStringList installed = QFontDatabase::families();
    for (const TSubstitute& s : kSubstitutes) {
        const QString family = QString::fromLatin1(s.family);
        if (installed.contains(family, Qt::CaseInsensitive))
            continue; // the real font is there: use it
        QStringList list;
        for (const char* name : s.substitutes)
            if (name)
                list << QString::fromLatin1(name);
        // Drop what an earlier call put there, so repeated calls do not pile up.
        QFont::removeSubstitutions(family);
        QFont::insertSubstitutions(family, list);
    }
}

} // namespace

bool RegisterProgramFonts(const std::string& appDir)
{
    SetUpSubstitutes();
    if (SymbolFontPresent())
        return true;

    QString dir = QString::fromStdString(appDir);
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\')))
        dir += QLatin1Char('/');
    const QString path = dir + QString::fromLatin1(kSymbolFontFile);
    if (!QFile::exists(path))
        return false;
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0)
        return false;
    if (!QFontDatabase::applicationFontFamilies(id).contains(QString::fromLatin1(kSymbolFontFamily))) {
        // Some other font under the expected name: do not leave it registered.
        QFontDatabase::removeApplicationFont(id);
        return false;
    }
    return true;
}
