#pragma once
// Everything the main window asks the user through a standard box: the error box,
// plain notices with an OK button, and the open and save file dialogs. They go
// through one replaceable object so that tests (and anything else that must run
// unattended) can answer them without a modal window.
#include <QFileDialog>
#include <QString>

#include <memory>

class QDialog;
class QMessageBox;
class QWidget;

// The answers to "save the changes?".
enum class TSaveAnswer { Save, Discard, Cancel };

class IUserDialogs {
public:
    virtual ~IUserDialogs() = default;
    // The application's error box: a stop icon, the error's text, OK.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // A plain notice with an OK button; an empty caption means the application title.
    virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& text) = 0;
    // "Сохранить изменения в колоде ...?" with Сохранить / Не сохранять / Отмена; closing
    // the box is Cancel.
    virtual TSaveAnswer AskSaveChanges(QWidget* parent, const QString& text) = 0;
    // A report of several lines: a summary above a list, with a button that copies the
    // list to the clipboard, and OK.
    virtual void ShowReport(QWidget* parent, const QString& caption, const QString& summary,
                            const QString& list) = 0;
    // The open and save dialogs. `filter` is in Qt's form ("Name (*.ext);;..."),
    // `defaultSuffix` is appended to a typed name without extension. Return the chosen
    // file's full path, or an empty text when the user cancelled. The save dialog
    // never asks before replacing a file.
    virtual QString OpenFileName(QWidget* parent, const QString& directory, const QString& filter,
                                 const QString& defaultSuffix) = 0;
    // `selectedFilter` (when given) receives the filter the user chose; the default
    // suffix follows the chosen filter's first extension.
    virtual QString SaveFileName(QWidget* parent, const QString& directory, const QString& filter,
                                 const QString& defaultSuffix, QString* selectedFilter = nullptr) = 0;
};

// The dialogs in use: the real Qt boxes unless replaced.
IUserDialogs& UserDialogs();
// Replaces them; null puts the real boxes back. Returns the previous replacement (or
// null when the real boxes were in use).
IUserDialogs* SetUserDialogs(IUserDialogs* dialogs);

// The application title ("Tomelark 0.1.0"), the caption of the error box and notices.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// Message text as the boxes show it: CR LF, LF CR and a lone carriage return (the
// line breaks of the program's own messages) become one line feed.
QString MessageBoxText(const QString& text);

// The open or save dialog as the program shows it: the filters, the default suffix
// following the chosen filter, no question before replacing, and (Qt's own dialog)
// a size at which its columns are not cut.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& directory,
                                            const QString& filter, const QString& defaultSuffix);

// The boxes of AskSaveChanges and ShowReport as the program shows them (not yet run).
std::unique_ptr<QMessageBox> MakeSaveChangesBox(QWidget* parent, const QString& text);
std::unique_ptr<QDialog> MakeReportDialog(QWidget* parent, const QString& caption, const QString& summary,
                                          const QString& list);

// Widens a message box so that its whole caption shows in the title bar.
void FitCaption(QMessageBox& box);
