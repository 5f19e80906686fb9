#include "ui/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

QString& TitleStore()
{
    static QString title;
    return title;
}

QString TitleOrName()
{
    const QString& t = TitleStore();
    return t.isEmpty() ? QCoreApplication::applicationName() : t;
}

QString RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& directory,
                      const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

class TQtDialogs : public IUserDialogs {
public:
    void ShowError(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, TitleOrName(), MessageBoxText(text), QMessageBox::Ok, parent);
        box.exec();
    }
    void ShowMessage(QWidget* parent, const QString& caption, const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? TitleOrName() : caption, MessageBoxText(text),
                        QMessageBox::Ok, parent);
        box.exec();
    }
    QString OpenFileName(QWidget* parent, const QString& directory, const QString& filter,
                         const QString& defaultSuffix) override
    {
        return RunFileDialog(parent, QFileDialog::AcceptOpen, directory, filter, defaultSuffix);
    }
    QString SaveFileName(QWidget* parent, const QString& directory, const QString& filter,
                         const QString& defaultSuffix) override
    {
        return RunFileDialog(parent, QFileDialog::AcceptSave, directory, filter, defaultSuffix);
    }
};

TQtDialogs QtDialogs;
IUserDialogs* Replacement = nullptr;

} // namespace

IUserDialogs& UserDialogs()
{
    return Replacement ? *Replacement : static_cast<IUserDialogs&>(QtDialogs);
}

IUserDialogs* SetUserDialogs(IUserDialogs* dialogs)
{
    IUserDialogs* previous = Replacement;
    Replacement = dialogs;
    return previous;
}

QString ApplicationTitle()
{
    return TitleOrName();
}

void SetApplicationTitle(const QString& title)
{
    TitleStore() = title;
}

QString MessageBoxText(const QString& text)
{
    QString result = text;
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    result.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}
