// The settings reader on any bytes: the user's settings file and the game's file read
// from the same mutated ini text.
#include "FuzzSupport.h"
#include "data/Settings.h"

#include <QSettings>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The program reads its settings with its application running; a stored value of
    // a picture type needs it.
    fuzz::EnsureGuiApplication();
    const std::string file = fuzz::ScratchDir() + "/settings.ini";
    fuzz::WriteFile(file, fuzz::Bytes(data, size));
    QSettings user(QString::fromStdString(file), QSettings::IniFormat);
    QSettings game(QString::fromStdString(file), QSettings::IniFormat);
    try {
        ReadSettings(user, &game);
    } catch (const ESettingsError&) {
    }
    ResetSettings();
    return 0;
}
