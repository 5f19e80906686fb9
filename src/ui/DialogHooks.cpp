#include "ui/DialogHooks.h"

#include "ui/MainForm.h"

TDialogHooks DialogHooks;

void CreateDialogs(TMainForm&)
{
    // The dialogs join here, each created once and reused, in this order:
    // TOptionsForm, TPrintForm, TAboutForm, TEditForm, TSearchForm, TStatisticForm.
}

void DestroyDialogs()
{
    DialogHooks = TDialogHooks{};
}
