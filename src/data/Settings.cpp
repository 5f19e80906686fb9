#include "data/Settings.h"

#include "Library/Common/ExtUtils.h"
#include "Library/Common/FileUtils.h"
#include "Library/Common/PackStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSettings>
#include <QStandardPaths>
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
std::string PrintOutputName;
std::string FilterSetCodes;
bool FilterSetCodesKnown = false;
std::string MainDir = DefaultMainDir();

std::string AppDir;
std::string BaseDir;
std::string ImagesDir;
std::string UserDir;

std::string DefaultMainDir()
{
#ifdef Q_OS_WIN
    return "C:\\Program Files\\Wizards of the Coast\\Magic the Gathering";
#else
    // The game runs under Wine; its default prefix puts drive C: in ~/.wine/drive_c.
    return QDir::homePath().toStdString() + "/.wine/drive_c/Program Files/Wizards of the Coast/Magic the Gathering";
#endif
}

namespace {

std::string WithSeparator(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

// A data store in `dir`: the folder "data" or a pack file of that name.
bool HasDataStore(const std::string& dir)
{
    return QFileInfo::exists(QString::fromStdString(dir + "data"));
}

} // namespace

std::string UserDataFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return WithSeparator(QDir::cleanPath(base + QStringLiteral("/Tomelark")).toStdString());
}

void InitFolders(const std::string& programDir)
{
    const std::string dir = WithSeparator(QDir::fromNativeSeparators(QString::fromStdString(programDir)).toStdString());
    // The data store beside the program (a build folder, a portable copy), else in
    // the share folder of an installed program.
    std::string store = dir;
    bool installed = false;
    if (!HasDataStore(dir)) {
        const std::string shared =
            WithSeparator(QDir::cleanPath(QString::fromStdString(dir + "../share/tomelark")).toStdString());
        if (HasDataStore(shared)) {
            store = shared;
            installed = true;
        }
    }
    AppDir = store;
    BaseDir = AppDir;
    ImagesDir = AppDir + "images/";
    UserDir = installed || !IsWritableFolder(AppDir) ? UserDataFolder() : AppDir;
}

bool WritesToUserFolder()
{
    return UserDir != AppDir;
}

void PrepareUserFolder()
{
    if (!WritesToUserFolder())
        return;
    const QString user = QString::fromStdString(UserDir);
    const QString decks = user + QStringLiteral("decks");
    if (QFileInfo::exists(decks) || !QDir().mkpath(decks))
        return;
    const QDir samples(QString::fromStdString(AppDir + "decks"));
    for (const QFileInfo& f : samples.entryInfoList(QDir::Files | QDir::Readable)) {
        std::string bytes;
        try {
            bytes = ReadWholeFile(QFile::encodeName(f.absoluteFilePath()).toStdString());
            WriteFileReplacing(QFile::encodeName(decks + '/' + f.fileName()).toStdString(), bytes);
        } catch (const std::exception&) {
            // A sample deck that cannot be copied is only a sample less.
        }
    }
}

std::string CardBaseFileName()
{
    if (WritesToUserFolder()) {
        const std::string edited = CardBaseSaveFileName();
        if (QFileInfo(QString::fromStdString(edited)).isFile())
            return edited;
    }
    return BaseDir + "data/cardbase.cds";
}

std::string CardBaseSaveFileName()
{
    return UserDir + "data/cardbase.cds";
}

void ResetSettings()
{
    CardTextType = 1;
    ArtImageType = 0;
    DrawReminderText = true;
    PrintGrayscale = false;
    PrintForPlayCard = false;
    PrintOutputName.clear();
    FilterSetCodes.clear();
    FilterSetCodesKnown = false;
    MainDir = DefaultMainDir();
}

namespace {

constexpr qint64 kMaxSettingsFile = 1 << 20;

// "%XX" escapes of a key as Qt's own text format writes them.
QString KeyFromText(const QByteArray& text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text));
}

QByteArray KeyToText(const QString& key)
{
    return key.toUtf8().toPercentEncoding("/");
}

// A quoted value: backslash escapes of quotes, backslashes and line breaks.
QString ValueFromText(QByteArray text)
{
    if (text.size() >= 2 && text.startsWith('"') && text.endsWith('"')) {
        QByteArray out;
        for (qsizetype i = 1; i + 1 < text.size(); ++i) {
            char c = text[i];
            if (c == '\\' && i + 2 < text.size()) {
                c = text[++i];
                c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
            }
            out += c;
        }
        text = out;
    }
    return QString::fromUtf8(text);
}

QByteArray ValueToText(const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    const bool plain = !utf8.isEmpty() && !utf8.contains('"') && !utf8.contains('\\') && !utf8.contains('\n') &&
                       !utf8.contains('\r') && !utf8.contains(';') && utf8.trimmed() == utf8;
    if (plain)
        return utf8;
    QByteArray out = "\"";
    for (char c : utf8)
        out += c == '"' ? QByteArray("\\\"") : c == '\\' ? QByteArray("\\\\") : c == '\n' ? QByteArray("\\n")
             : c == '\r' ? QByteArray("\\r") : QByteArray(1, c);
    return out + "\"";
}

bool ReadTextStore(QIODevice& device, QSettings::SettingsMap& map)
{
    if (device.size() > kMaxSettingsFile)
        return false;
    const QByteArray all = device.read(kMaxSettingsFile + 1);
    if (all.size() > kMaxSettingsFile)
        return false;
    QString section;
    for (QByteArray line : all.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = KeyFromText(line.mid(1, line.size() - 2).trimmed());
            if (section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
                section.clear();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QString key = KeyFromText(line.left(equals).trimmed());
        map.insert(section.isEmpty() ? key : section + '/' + key, ValueFromText(line.mid(equals + 1).trimmed()));
    }
    return true;
}

bool WriteTextStore(QIODevice& device, const QSettings::SettingsMap& map)
{
    QByteArray out;
    QString section = QStringLiteral("\x01");
    // Top-level keys go into "[General]" first, then each section in order.
    auto write = [&](bool topLevel) {
        for (auto it = map.begin(); it != map.end(); ++it) {
            const qsizetype slash = it.key().indexOf('/');
            if ((slash < 0) != topLevel)
                continue;
            const QString keySection = topLevel ? QStringLiteral("General") : it.key().left(slash);
            if (keySection != section) {
                if (!out.isEmpty())
                    out += '\n';
                out += '[' + KeyToText(keySection) + "]\n";
                section = keySection;
            }
            out += KeyToText(topLevel ? it.key() : it.key().mid(slash + 1)) + '=' + ValueToText(it.value().toString()) +
                   '\n';
        }
    };
    write(true);
    write(false);
    return device.write(out) == out.size();
}

QString NativeStoreFile(QSettings::Scope scope, const char* organization, const char* application)
{
    // Only the file's name: the native format reads the file on first use, not here.
    return QSettings(QSettings::NativeFormat, scope, organization, application).fileName();
}

std::unique_ptr<QSettings> OpenUserStore()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\Tomelark", QSettings::NativeFormat);
#else
    // The user's values only, from the user's file: a system-wide file of the same
    // name must not stand in for a missing user value.
    return OpenSettingsFile(NativeStoreFile(QSettings::UserScope, "Tomelark", "Tomelark"));
#endif
}

} // namespace

std::unique_ptr<QSettings> OpenWindowStore()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\Tomelark\\Window", QSettings::NativeFormat);
#else
    return OpenSettingsFile(NativeStoreFile(QSettings::UserScope, "Tomelark", "Window"));
#endif
}

namespace {

std::unique_ptr<QSettings> OpenGameStore()
{
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>("HKEY_LOCAL_MACHINE\\Software\\Wizards of the Coast\\Magic - Full Install",
                                       QSettings::NativeFormat);
#else
    return OpenSettingsFile(NativeStoreFile(QSettings::SystemScope, "Wizards of the Coast", "Magic - Full Install"));
#endif
}

} // namespace

int SettingsFileFormat()
{
    static const QSettings::Format format = QSettings::registerFormat("conf", ReadTextStore, WriteTextStore);
    return int(format);
}

std::unique_ptr<QSettings> OpenSettingsFile(const QString& fileName)
{
    auto s = std::make_unique<QSettings>(fileName, QSettings::Format(SettingsFileFormat()));
    s->setFallbacksEnabled(false);
    return s;
}

namespace {

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

    // A text value; a text store splits one at unquoted commas, joined again here.
    auto readText = [&readOne](QSettings& store, const char* name, const char* joiner, std::string& value) {
        readOne([&] {
            const QVariant v = store.value(name);
            if (v.typeId() == QMetaType::QString)
                value = v.toString().toStdString();
            else if (v.typeId() == QMetaType::QStringList)
                value = v.toStringList().join(QString::fromLatin1(joiner)).toStdString();
            else
                InvalidType(name);
        });
    };

    if (game && game->status() == QSettings::NoError && game->contains("MainDir"))
        readText(*game, "MainDir", ", ", MainDir);

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
        if (user.contains("FilterSets")) {
            readText(user, "FilterSets", ",", FilterSetCodes);
            FilterSetCodesKnown = true;
        }
        if (user.contains("PrintOutput"))
            readText(user, "PrintOutput", ", ", PrintOutputName);
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
    user.setValue("PrintOutput", QString::fromStdString(PrintOutputName));
    if (FilterSetCodesKnown)
        user.setValue("FilterSets", QString::fromStdString(FilterSetCodes));
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
