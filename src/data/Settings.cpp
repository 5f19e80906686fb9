#include "data/Settings.h"

#include "Library/Common/ExtUtils.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QVariant>

#include <climits>
#include <cstdint>
#include <memory>

uint8_t CardTextType = 1;
int32_t ArtImageType = 0;
bool DrawReminderText = true;
bool PrintGrayscale = false;
bool PrintForPlayCard = false;
std::string MainDir = DefaultMainDir();

std::string AppDir;
std::string BaseDir;
std::string ImagesDir;

std::string DefaultMainDir()
{
#ifdef Q_OS_WIN
    return "C:\\Program Files\\Wizards of the Coast\\Magic the Gathering";
#else
    // The game runs under Wine; its default prefix puts drive C: in ~/.wine/drive_c.
    return QDir::homePath().toStdString() + "/.wine/drive_c/Program Files/Wizards of the Coast/Magic the Gathering";
#endif
}

void InitFolders(const std::string& programDir)
{
    std::string dir = QDir::fromNativeSeparators(QString::fromStdString(programDir)).toStdString();
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    AppDir = dir;
    BaseDir = AppDir;
    ImagesDir = AppDir + "images/";
}

std::string CardBaseFileName()
{
    return BaseDir + "data/cardbase.cds";
}

void ResetSettings()
{
    CardTextType = 1;
    ArtImageType = 0;
    DrawReminderText = true;
    PrintGrayscale = false;
    PrintForPlayCard = false;
    MainDir = DefaultMainDir();
}

namespace {

std::unique_ptr<QSettings> OpenUserStore()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\Tomelark", QSettings::NativeFormat);
#else
    auto s = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Tomelark", "Tomelark");
    // The user's values only; a system-wide file of the same name must not stand in
    // for a missing user value.
    s->setFallbacksEnabled(false);
    return s;
#endif
}

std::unique_ptr<QSettings> OpenGameStore()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>("HKEY_LOCAL_MACHINE\\Software\\Wizards of the Coast\\Magic - Full Install",
                                       QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::SystemScope, "Wizards of the Coast",
                                       "Magic - Full Install");
#endif
}

[[noreturn]] void InvalidType(const char* name)
{
    throw ESettingsError(std::string("Invalid data type for '") + name + "'");
}

// A 32-bit integer value: a registry number, or in a text store a decimal integer
// (with an optional sign). Anything else is a value of the wrong type.
int32_t ReadInteger(const QSettings& store, const char* name)
{
    const QVariant v = store.value(name);
    switch (v.typeId()) {
    case QMetaType::Int:
        return v.toInt();
    case QMetaType::UInt: // a DWORD above 0x7FFFFFFF reads back as its 32-bit pattern
        return static_cast<int32_t>(v.toUInt());
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return static_cast<int32_t>(v.toLongLong());
    case QMetaType::Bool:
        return v.toBool() ? 1 : 0;
    case QMetaType::QString: {
#ifdef Q_OS_WIN
        // A registry string where a number belongs.
        InvalidType(name);
#else
        const QString text = v.toString().trimmed();
        bool ok = false;
        const qlonglong n = text.toLongLong(&ok, 10);
        if (ok && n >= INT32_MIN && n <= UINT32_MAX)
            return static_cast<int32_t>(n);
        // The text store writes Booleans of other programs as words; take them.
        if (text.compare("true", Qt::CaseInsensitive) == 0)
            return 1;
        if (text.compare("false", Qt::CaseInsensitive) == 0)
            return 0;
        InvalidType(name);
#endif
    }
    default:
        InvalidType(name);
    }
}

} // namespace

void ReadSettings(QSettings& user, QSettings* game)
{
    PrintGrayscale = false;
    PrintForPlayCard = false;

    // Each value is read on its own: a value of the wrong type keeps the setting as it
    // was and is reported, and the values after it are read all the same (one bad
    // value must not reset the others, which the write at the end would make lasting).
    std::string errors;
    auto readOne = [&errors](auto&& read) {
        try {
            read();
        } catch (const ESettingsError& e) {
            if (!errors.empty())
                errors += '\r';
            errors += e.what();
        }
    };

    if (game && game->status() == QSettings::NoError && game->contains("MainDir"))
        readOne([&] {
            const QVariant v = game->value("MainDir");
            if (v.typeId() == QMetaType::QString)
                MainDir = v.toString().toStdString();
            else if (v.typeId() == QMetaType::QStringList) // a text store splits at unquoted commas
                MainDir = v.toStringList().join(", ").toStdString();
            else
                InvalidType("MainDir");
        });

    if (user.status() == QSettings::NoError) {
        if (user.contains("PrintGrayscale"))
            readOne([&] { PrintGrayscale = ReadInteger(user, "PrintGrayscale") != 0; });
        if (user.contains("PrintForPlayCard"))
            readOne([&] { PrintForPlayCard = ReadInteger(user, "PrintForPlayCard") != 0; });
        if (user.contains("ArtImageType"))
            readOne([&] { ArtImageType = ReadInteger(user, "ArtImageType"); });
        if (user.contains("CardTextType"))
            readOne([&] { CardTextType = static_cast<uint8_t>(ReadInteger(user, "CardTextType") & 0xFF); });
        if (user.contains("DrawReminderText"))
            readOne([&] { DrawReminderText = ReadInteger(user, "DrawReminderText") != 0; });
    }
    if (!errors.empty())
        throw ESettingsError(errors);
}

void WriteSettings(QSettings& user)
{
    // A store that cannot be opened or created at all (no folder for it) is skipped;
    // one that exists and cannot be written, or a write that fails, is an error
    // naming the file.
    const QString file = user.fileName();
    const bool isFile = user.format() != QSettings::NativeFormat || !file.startsWith(QLatin1String("\\HKEY"));
    auto failure = [&](const char* reason) {
        return ESettingsError("Cannot write the settings file " + QStringToWin1251(file) + ". " + reason);
    };
    if (!user.isWritable()) {
        if (isFile && QFileInfo::exists(file))
            throw failure("Permission denied");
        return;
    }
    user.setValue("PrintGrayscale", PrintGrayscale ? 1 : 0);
    user.setValue("PrintForPlayCard", PrintForPlayCard ? 1 : 0);
    user.setValue("ArtImageType", ArtImageType);
    user.setValue("CardTextType", int(CardTextType));
    user.setValue("DrawReminderText", DrawReminderText ? 1 : 0);
    user.sync();
    if (user.status() == QSettings::AccessError)
        throw failure("The file or its folder cannot be written");
}

void ReadSettings()
{
    auto user = OpenUserStore();
    auto game = OpenGameStore();
    ReadSettings(*user, game.get());
}

void WriteSettings()
{
    auto user = OpenUserStore();
    WriteSettings(*user);
}
