#include "ToolDataModule.h"

#include "data/Settings.h"
#include "render/Fonts.h"

#include <QCoreApplication>

#include <QSettings>

TToolDataModule::TToolDataModule(const std::string& baseDir)
{
    if (!FSettingsDir.isValid())
        throw Exception("Cannot create a temporary folder for the settings");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, FSettingsDir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, FSettingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, FSettingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, FSettingsDir.path());
    InitFolders(baseDir);
    std::string firstError;
    FData = std::make_unique<TData>([&firstError](const std::string& message) {
        if (firstError.empty())
            firstError = message;
    });
    FData->ErrorHandler = {};
    if (!FData->Ready)
        throw Exception(firstError.empty() ? std::string("The card base is not loaded") : firstError);
}

TToolDataModule::~TToolDataModule()
{
    FData.reset();
}

void RegisterToolFonts()
{
    if (!RegisterProgramFonts(AppDir))
        RegisterProgramFonts(QCoreApplication::applicationDirPath().toStdString());
}
