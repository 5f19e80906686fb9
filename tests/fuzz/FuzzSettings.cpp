// The settings reader on any bytes: the user's settings file and the game's file read
// from the same mutated text, in the program's own settings format.
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
    auto user = OpenSettingsFile(QString::fromStdString(file));
    auto game = OpenSettingsFile(QString::fromStdString(file));
    try {
        ReadSettings(*user, game.get());
    } catch (const ESettingsError&) {
    }
    ResetSettings();
    return 0;
}
