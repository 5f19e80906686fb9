#pragma once
// The user's settings and the program's folders: process-wide values read when the
// data module starts and written back when it ends.
#include <cstdint>
#include <string>

// Card language: 0 Russian names and texts; 1 English names with Russian texts;
// 2 English names and texts.
extern uint8_t CardTextType;
// Art source: 0 small art pictures; 1 encyclopedia pictures; anything else: no art.
extern int32_t ArtImageType;
extern bool DrawReminderText;
extern bool PrintGrayscale;
extern bool PrintForPlayCard;
// Folder of the card game's own installation (encyclopedia pictures below it).
extern std::string MainDir;

// Folders, each with a trailing separator: the program's folder, the folder under
// which the data store "data" lies, and the small art pictures' folder.
extern std::string AppDir;
extern std::string BaseDir;
extern std::string ImagesDir;

// Fixes AppDir, BaseDir and ImagesDir from the program's folder.
void InitFolders(const std::string& programDir);

// Read and write the settings through QSettings (see Settings.cpp).
void ReadSettings();
void WriteSettings();
