#pragma once
// How the main window reaches the dialogs. Each dialog fills its hook when it is
// created; a command whose dialog is not there does what it can without it (the
// filter command applies the filter state the data module holds, the options command
// re-applies the language and redraws the card, ...).
#include <QString>

#include <functional>

class QWidget;
class TMainForm;

struct TDialogHooks {
    // The filter dialog, modal. True when the user confirmed: the dialog has stored the
    // filter flags and SortChoice in the data module.
    std::function<bool(QWidget* parent)> Filter;
    // The deck statistics, modal.
    std::function<void(QWidget* parent)> Statistics;
    // The options dialog, modal; whatever its result the main window re-applies the
    // language and redraws the card.
    std::function<void(QWidget* parent)> Options;
    // The card text editor for the main window's CurrentCard, modal.
    std::function<void(QWidget* parent)> EditCard;
    // The about box, modal.
    std::function<void(QWidget* parent)> About;
    // The print dialog, modal, and on OK the print run.
    std::function<void(QWidget* parent)> Print;
    // The about box's labels: the product name and "Версия " + version.
    std::function<void(const QString& productName, const QString& version)> SetAboutVersion;
};

extern TDialogHooks DialogHooks;

// Creates the dialogs once, in the program's order (options, print, about, card
// editor, filter, statistics), each filling its hooks. Runs after the data module
// exists, before the message loop.
void CreateDialogs(TMainForm& mainForm);
// Destroys them and empties the hooks (program end).
void DestroyDialogs();
