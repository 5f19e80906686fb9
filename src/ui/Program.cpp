#include "ui/Program.h"

#include "BuildInfo.h"
#include "Library/Common/ExtUtils.h"
#include "data/DataModule.h"
#include "data/Settings.h"
#include "render/CardView.h"
#include "render/Fonts.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

TProgramSession::TProgramSession(const QString& programPath)
{
    // The units: the run log, the folders, the picture buffer.
    RunLogStart(QFile::encodeName(programPath).toStdString());
    InitFolders(QFile::encodeName(QFileInfo(programPath).absolutePath()).toStdString());
    SetPictureSize(0, 0);
    RegisterProgramFonts(AppDir);
    // The main window (it does not touch the data module), the data module, the
    // dialogs. An error while the data module starts is shown at once; the program
    // starts anyway, without a card base.
    FMainForm = std::make_unique<TMainForm>();
    FData = std::make_unique<TData>([](const std::string& message) { ShowErrorMessage(message); });
    FMainForm->BindData(*FData);
    CreateDialogs(*FMainForm);
}

TProgramSession::~TProgramSession()
{
    Guarded([] { DestroyDialogs(); });
    if (FMainForm)
        FMainForm->UnbindData();
    FData.reset();
    FMainForm.reset();
    RunLogFinish();
}

void SetProgramIdentity()
{
    QCoreApplication::setOrganizationName(QString::fromUtf8(TOMELARK_ORG_NAME));
    QCoreApplication::setApplicationName(QString::fromUtf8(TOMELARK_PRODUCT_NAME));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(TOMELARK_VERSION));
}

int RunProgram()
{
    TProgramSession session(QCoreApplication::applicationFilePath());
    session.MainWindow().show();
    return QApplication::exec();
}
