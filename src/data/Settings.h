#pragma once
// The user's settings and the program's folders: process-wide values read when the
// data module starts and written back when it ends.
//
// Where they live: on Windows the registry keys
//   HKEY_CURRENT_USER\Software\Tomelark                                  (the five user settings)
//   HKEY_LOCAL_MACHINE\Software\Wizards of the Coast\Magic - Full Install (MainDir, read only)
// elsewhere the per-user native store of organisation and application "Tomelark"
// (~/.config/Tomelark/Tomelark.conf on Linux) and the system-wide store of organisation
// "Wizards of the Coast", application "Magic - Full Install" (/etc/xdg/... on Linux).
// The value names, types and defaults are the same everywhere.
#include <cstdint>
#include <string>

#include "Library/Common/ExtUtils.h"

#include <memory>

class QSettings;
class QString;

// A stored setting that cannot be read as its type.
class ESettingsError : public Exception {
public:
    using Exception::Exception;
};

// Card language: 0 Russian names and texts; 1 English names with Russian texts;
// 2 English names and texts.
extern uint8_t CardTextType;
// Art source: 0 small art pictures; 1 encyclopedia pictures; anything else: no art.
extern int32_t ArtImageType;
extern bool DrawReminderText;
extern bool PrintGrayscale;
extern bool PrintForPlayCard;
// The print dialog's output as last chosen: a printer's name, "pdf" for the PDF file
// or "bmp" for the page bitmaps (UTF-8); empty: the system's default printer.
extern std::string PrintOutputName;
// The sets the card filter lets through, by their two-letter codes joined by ","
// (codes of sets the program does not know are kept, and mean nothing); not known:
// every set (a settings file of before the filter was kept).
extern std::string FilterSetCodes;
extern bool FilterSetCodesKnown;
// Folder of the card game's own installation (encyclopedia pictures below it), no
// trailing separator. Only ever read from the game's store, never written.
extern std::string MainDir;

// MainDir when the game's store does not name it: the game's usual folder (on Linux
// inside the default Wine prefix of the user).
std::string DefaultMainDir();

// Paths (MainDir and the folders below) are native file-system text, UTF-8 on Linux
// with "/" between components, as the pack file stream and the file functions take
// them; they are not Windows-1251 like the rest of the program's text.

// Folders, each with a trailing separator: the folder of the data store (the program's
// folder when the store lies beside the program, else "../share/tomelark" of an
// installed program), the folder under which the data store "data" lies, and the
// small art pictures' folder.
extern std::string AppDir;
extern std::string BaseDir;
extern std::string ImagesDir;
// Where the program writes: decks ("decks/"), saved pictures ("printimg/"), page
// bitmaps ("preprint/"), the edited card base ("data/cardbase.cds") and the Quillon
// export. AppDir when the program runs from a writable folder of its own; for an
// installed program, or one whose folder may not be written, the user's data folder
// (UserDataFolder()).
extern std::string UserDir;

// The user's data folder of the program: "Tomelark" below the user's data location
// (~/.local/share/Tomelark, or $XDG_DATA_HOME/Tomelark), with a trailing separator.
std::string UserDataFolder();

// Fixes AppDir, BaseDir, ImagesDir and UserDir from the program's folder.
void InitFolders(const std::string& programDir);

// Whether the program writes to a folder of its own (UserDir is not AppDir).
bool WritesToUserFolder();

// Readies UserDir for an installed program: creates it, and on the first start
// (no "decks" there yet) copies the sample decks of AppDir into its "decks". Nothing
// happens when UserDir is AppDir. A folder that cannot be made is left for the
// first save to report.
void PrepareUserFolder();

// The card base file the program loads: the edited copy below UserDir when there is
// one, else the one below BaseDir.
std::string CardBaseFileName();
// Where the card base is saved: below UserDir.
std::string CardBaseSaveFileName();

// Puts every setting back to its initial value (program start).
void ResetSettings();

// Reads the settings: both print settings become false, MainDir comes from the game's
// store when it names it, the five user settings from the user's store where present.
// Each value is read on its own: a value of the wrong type leaves its setting as it
// was and the others are still read; at the end `ESettingsError` reports every bad
// value once ("Invalid data type for '<name>'", several joined by CR). A user store
// that cannot be read is skipped silently.
void ReadSettings();
// Writes the five user settings (Booleans as 0 or 1). A store that cannot be written
// is skipped silently.
void WriteSettings();

// The stores' text format on this platform: the usual "[General]" / "key=value"
// file, each value kept as the text it is (no "@Variant(...)" or other encoded value
// is ever decoded), files over 1 MiB unreadable. `OpenSettingsFile` opens a file in
// it; the program's own stores lie where Qt's native format would put them.
int SettingsFileFormat();
std::unique_ptr<QSettings> OpenSettingsFile(const QString& fileName);

// The store of the main window's size, place and column widths, beside the user's
// settings (~/.config/Tomelark/Window.conf on Linux), in the same text format.
std::unique_ptr<QSettings> OpenWindowStore();

// The same on given stores (tests, or a caller with its own stores). `game` may be
// null: MainDir is then left as it is.
void ReadSettings(QSettings& user, QSettings* game);
void WriteSettings(QSettings& user);
