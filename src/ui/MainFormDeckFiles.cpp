// The main window's deck file commands: new, open, save, save as, and the hidden
// export for Quillon; the folders they use.
#include "ui/MainForm.h"
#include "ui/MainFormInternal.h"

#include "data/Settings.h"
#include "ui/DataGrid.h"
#include "ui/ErrorHandling.h"
#include "ui/UserDialogs.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

using namespace mainform;

// ---------------------------------------------------------------------------------------
// Deck files.

void TMainForm::aCreateExecute()
{
    if (FData)
        FData->NewDeck();
    UpdateDeckCountLabel();
    setWindowTitle(BaseCaption());
}

namespace {
const char* const kOpenDeckFilter =
    "Все колоды (*.mdc *.txt *.dec *.dek *.cod *.dck *.mwDeck *.csv);;Колоды Tomelark (*.mdc);;Все файлы (*)";
const char* const kSaveDeckFilter =
    "Колоды Tomelark (*.mdc);;Текстовый список (*.txt);;Колоды Cockatrice (*.cod);;Колоды MTGO (*.dek)";
const char* const kDeckSuffix = "mdc";

// The file name with the extension of the chosen file type when it has none of the
// deck formats' own.
QString WithFormatExtension(const QString& fileName, const QString& chosenFilter)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "mdc" || suffix == "txt" || suffix == "dec" || suffix == "cod" || suffix == "dek")
        return fileName;
    static const QRegularExpression ext(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch m = ext.match(chosenFilter);
    return m.hasMatch() ? fileName + '.' + m.captured(1) : fileName;
}
} // namespace

void TMainForm::UpdateCaption()
{
    if (!FData || FData->DeckFileName.empty())
        setWindowTitle(BaseCaption());
    else
        setWindowTitle(BaseCaption() + U(" [") + QFile::decodeName(QByteArray::fromStdString(FData->DeckFileName))
                       + U("]"));
}

void TMainForm::aOpenExecute()
{
    const QString fileName = UserDialogs().OpenFileName(this, OpenDialogDir, U(kOpenDeckFilter), U(kDeckSuffix));
    if (fileName.isEmpty())
        return;
    OpenDialogDir = QFileInfo(fileName).absolutePath();
    OpenDeckFile(fileName);
}

void TMainForm::OpenDeckFile(const QString& fileName)
{
    if (!FData || fileName.isEmpty())
        return;
    TWaitCursor wait;
    // Whatever happens: the deck grid takes the focus and the picture shows the deck's
    // entry, the count and the caption are brought up to date (a deck whose reading
    // stopped has no file); then an error reaches the error box. The window is not
    // active yet when its file dialog has just closed, so the focus arriving later
    // does not announce itself: the picture is brought up to date here.
    TScopeExit cleanup([this] {
        DeckGrid->setFocus(Qt::OtherFocusReason);
        Guarded([this] { CurrentCardUpdate(&FData->DeckTable); });
        UpdateDeckCountLabel();
        UpdateCaption();
    });
    FData->LoadDeck(QFile::encodeName(fileName).toStdString());
}

void TMainForm::SaveDeckUnder(const QString& fileName)
{
    if (fileName.isEmpty() || !DeckUsable() || FData->DeckTable.RecordCount() == 0)
        return;
    TWaitCursor wait;
    TScopeExit cleanup([this] { UpdateDeckCountLabel(); });
    FData->SaveDeck(QFile::encodeName(fileName).toStdString());
    UpdateCaption();
}

void TMainForm::aSaveExecute()
{
    if (FData)
        SaveDeckUnder(QFile::decodeName(QByteArray::fromStdString(FData->DeckFileName)));
}

void TMainForm::aSaveAsExecute()
{
    QString chosenFilter;
    QString fileName =
        UserDialogs().SaveFileName(this, SaveDialogDir, U(kSaveDeckFilter), U(kDeckSuffix), &chosenFilter);
    if (fileName.isEmpty())
        return;
    fileName = WithFormatExtension(fileName, chosenFilter);
    SaveDialogDir = QFileInfo(fileName).absolutePath();
    SaveDeckUnder(fileName);
}

QString TMainForm::DecksFolder() const
{
    const QString dir = UserDir.empty() ? QCoreApplication::applicationDirPath() + U("/")
                                        : QString::fromStdString(UserDir);
    return dir + U("decks");
}

std::string TMainForm::QuillonFileName() const
{
    const std::string dir =
        UserDir.empty() ? QCoreApplication::applicationDirPath().toStdString() + "/" : UserDir;
    return dir + "TomelarkDeck.dat";
}

// ---------------------------------------------------------------------------------------
// The export for Quillon (its menu item stays hidden).

void TMainForm::Quillon1Click()
{
    if (FData)
        FData->SaveDeckEncIDs(QuillonFileName());
}
