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

#include <optional>

using namespace mainform;

// ---------------------------------------------------------------------------------------
// Deck files.

void TMainForm::aCreateExecute()
{
    if (!ConfirmDeckChanges())
        return;
    if (FData)
        FData->NewDeck();
    UpdateDeckCountLabel();
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

// "карта", "карты" or "карт" after a number.
QString CardsWord(int64_t n)
{
    const int64_t tens = n % 100, ones = n % 10;
    if (tens >= 11 && tens <= 14)
        return U("карт");
    if (ones == 1)
        return U("карта");
    if (ones >= 2 && ones <= 4)
        return U("карты");
    return U("карт");
}
} // namespace

QString TMainForm::DeckFileQString() const
{
    return FData ? QFile::decodeName(QByteArray::fromStdString(FData->DeckFileName)) : QString();
}

void TMainForm::UpdateCaption()
{
    const bool modified = FData && FData->DeckModified && FData->DeckTable.Active()
                          && (FData->DeckTable.RecordCount() > 0 || !FData->DeckFileName.empty());
    const QString file = DeckFileQString();
    if (file.isEmpty())
        setWindowTitle(modified ? BaseCaption() + U(" [Новая колода*]") : BaseCaption());
    else
        setWindowTitle(BaseCaption() + U(" [") + file + (modified ? U("*]") : U("]")));
}

bool TMainForm::ConfirmDeckChanges()
{
    if (!FData || !FData->DeckModified || !DeckUsable())
        return true;
    // An empty new deck holds nothing to lose.
    if (FData->DeckFileName.empty() && FData->DeckTable.RecordCount() == 0)
        return true;
    const QString file = DeckFileQString();
    const QString name = file.isEmpty() ? U("«Новая колода»") : U("«") + QFileInfo(file).fileName() + U("»");
    switch (UserDialogs().AskSaveChanges(this, U("Сохранить изменения в колоде ") + name + U("?"))) {
    case TSaveAnswer::Save: {
        bool saved = false;
        Guarded([&] { saved = SaveDeckCommand(); });
        return saved;
    }
    case TSaveAnswer::Discard: return true;
    case TSaveAnswer::Cancel: break;
    }
    return false;
}

void TMainForm::aOpenExecute()
{
    if (!ConfirmDeckChanges())
        return;
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
    std::optional<TWaitCursor> wait(std::in_place);
    // Whatever happens: the deck grid takes the focus and the picture shows the deck's
    // entry, the count and the caption are brought up to date (a deck whose reading
    // stopped has no file); then an error reaches the error box. The window is not
    // active yet when its file dialog has just closed, so the focus arriving later
    // does not announce itself: the picture is brought up to date here.
    TScopeExit cleanup([this] {
        DeckGrid->setFocus(Qt::OtherFocusReason);
        Guarded([this] { CurrentCardUpdate(&FData->DeckTable); });
        UpdateDeckCountLabel();
    });
    const TDeckReadReport report = FData->LoadDeck(QFile::encodeName(fileName).toStdString());
    if (report.Missing.empty())
        return;
    // One list of every line without a card, after reading.
    QString list;
    for (const TDeckMissingLine& m : report.Missing) {
        if (m.Line > 0)
            list += U("строка ") + QString::number(m.Line) + U(": ");
        list += QString::number(m.Count) + U(" ") + Win1251ToQString(m.Text) + U(" - ") + Win1251ToQString(m.Reason)
                + U("\n");
    }
    const int64_t missing = report.CopiesMissing();
    const QString summary = U("Прочитано ") + QString::number(report.CardsRead) + U(" ") + CardsWord(report.CardsRead)
                            + U(", не найдено ") + QString::number(missing) + U(":");
    wait.reset();
    UserDialogs().ShowReport(this, U("Не найдены карты"), summary, list);
}

bool TMainForm::SaveDeckUnder(const QString& fileName)
{
    if (fileName.isEmpty() || !DeckUsable() || FData->DeckTable.RecordCount() == 0)
        return false;
    TWaitCursor wait;
    TScopeExit cleanup([this] { UpdateDeckCountLabel(); });
    FData->SaveDeck(QFile::encodeName(fileName).toStdString());
    return true;
}

bool TMainForm::SaveDeckCommand()
{
    if (!FData)
        return false;
    const QString file = DeckFileQString();
    // A new deck has no file yet; another program's file is never written over in
    // silence: both are saved under a name the user confirms (the same name as .mdc).
    if (file.isEmpty())
        return SaveDeckAsCommand(QString());
    if (FData->DeckFileFormat != TDeckFormat::Mdc) {
        const QFileInfo info(file);
        return SaveDeckAsCommand(info.absolutePath() + U("/") + info.completeBaseName() + U(".mdc"));
    }
    return SaveDeckUnder(file);
}

bool TMainForm::SaveDeckAsCommand(const QString& proposed)
{
    QString chosenFilter;
    const QString start = proposed.isEmpty() ? SaveDialogDir : proposed;
    QString fileName = UserDialogs().SaveFileName(this, start, U(kSaveDeckFilter), U(kDeckSuffix), &chosenFilter);
    if (fileName.isEmpty())
        return false;
    fileName = WithFormatExtension(fileName, chosenFilter);
    SaveDialogDir = QFileInfo(fileName).absolutePath();
    return SaveDeckUnder(fileName);
}

void TMainForm::aSaveExecute()
{
    SaveDeckCommand();
}

void TMainForm::aSaveAsExecute()
{
    SaveDeckAsCommand(QString());
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
