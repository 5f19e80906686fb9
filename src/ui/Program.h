#pragma once
// The program's start and end, in their fixed order. Start: the run log, the folders,
// the picture buffer, the fonts, the main window, the data module, the dialogs; then
// the message loop shows the main window. End (the main window closed): the dialogs,
// the data module (which writes the settings), the main window, the run log.
#include <QString>
#include <QStringList>

#include <memory>

class TData;
class TMainForm;

class TProgramSession {
public:
    // Starts everything up to the message loop. `programPath` is the program file's
    // full path; the data store, the decks and the run log lie beside it.
    explicit TProgramSession(const QString& programPath);
    // Shuts down in the order above.
    ~TProgramSession();
    TProgramSession(const TProgramSession&) = delete;
    TProgramSession& operator=(const TProgramSession&) = delete;

    TMainForm& MainWindow() { return *FMainForm; }
    TData& DataModule() { return *FData; }

private:
    std::unique_ptr<TMainForm> FMainForm;
    std::unique_ptr<TData> FData;
};

// Sets the names QSettings and the desktop know the program by (organisation and
// application "Tomelark"). Call before the application object exists.
void SetProgramIdentity();

// Loads Qt's own Russian translations (file dialogs, message box buttons, the context
// menus of text fields) and makes Russian the default locale. False when Qt's
// translation file is not installed.
bool InstallQtTranslations();

// The deck file named on the command line ("tomelark DECK"), as an absolute path;
// empty when there is none. `arguments` begin with the program.
QString DeckFileArgument(const QStringList& arguments);

// The whole run inside an application object: start, show the main window with the
// size and place of the last run, open a deck named on the command line, run the
// message loop until the window is closed, shut down. Returns the loop's exit code.
int RunProgram();
