#include "ui/Program.h"

#include "BuildInfo.h"
#include "Library/Common/ExtUtils.h"
#include "data/DataModule.h"
#include "data/Settings.h"
#include "render/CardView.h"
#include "render/Fonts.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TProgramSession::TProgramSession(const QString& programPath)
{
    // The units: the run log, the folders, the picture buffer.
    RunLogStart(QFile::encodeName(programPath).toStdString());
    InitFolders(QFile::encodeName(QFileInfo(programPath).absolutePath()).toStdString());
    PrepareUserFolder();
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
    // The desktop entry the windows belong to (tomelark.desktop).
    QGuiApplication::setDesktopFileName(QStringLiteral("tomelark"));
}

bool InstallQtTranslations()
{
    // The program speaks Russian: Qt's own dialogs, buttons and context menus too.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    static QTranslator qtbase;
    if (!qtbase.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&qtbase);
}

QString DeckFileArgument(const QStringList& arguments)
{
    // The first argument that is not an option: "tomelark DECK", or %f of the
    // desktop entry.
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (!arguments[i].startsWith(QLatin1Char('-')))
            return QFileInfo(arguments[i]).absoluteFilePath();
    return QString();
}

int RunProgram()
{
    InstallQtTranslations();
    InitFormScale();
    TProgramSession session(QCoreApplication::applicationFilePath());
    TMainForm& form = session.MainWindow();
    form.KeepWindowState = true;
    form.RestoreWindowState();
    form.show();
    const QString deck = DeckFileArgument(QCoreApplication::arguments());
    if (!deck.isEmpty())
        Guarded([&] { form.OpenDeckFile(deck); });
    return QApplication::exec();
}
