#include "data/Settings.h"

#include <QDir>

uint8_t CardTextType = 1;
int32_t ArtImageType = 0;
bool DrawReminderText = true;
bool PrintGrayscale = false;
bool PrintForPlayCard = false;
std::string MainDir;

std::string AppDir;
std::string BaseDir;
std::string ImagesDir;

void InitFolders(const std::string& programDir)
{
    std::string dir = QDir::fromNativeSeparators(QString::fromStdString(programDir)).toStdString();
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    AppDir = dir;
    BaseDir = AppDir;
    ImagesDir = AppDir + "images/";
}
