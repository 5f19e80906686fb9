#include "ui/DialogHooks.h"

#include "ui/About.h"
#include "ui/Edit.h"
#include "ui/MainForm.h"
#include "ui/Option.h"
#include "ui/PrintForm.h"
#include "ui/Search.h"
#include "ui/Statistic.h"

TDialogHooks DialogHooks;

void CreateDialogs(TMainForm& mainForm)
{
    // The dialogs join here, each created once and reused, in this order:
    // TOptionsForm, TPrintForm, TAboutForm, TEditForm, TSearchForm, TStatisticForm.
    CreateOptionsForm(mainForm);
    CreatePrintForm(mainForm);
    CreateAboutForm(mainForm);
    CreateEditForm(mainForm);
    CreateSearchForm(mainForm);
    CreateStatisticForm(mainForm);
}

void DestroyDialogs()
{
    DestroyStatisticForm();
    DestroySearchForm();
    DestroyEditForm();
    DestroyAboutForm();
    DestroyPrintForm();
    DestroyOptionsForm();
    DialogHooks = TDialogHooks{};
}
