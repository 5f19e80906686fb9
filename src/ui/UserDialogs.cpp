#include "ui/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>
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
                      const QString& filter, const QString& defaultSuffix, QString* selectedFilter = nullptr)
{
    QFileDialog dialog(parent, QString(), directory, filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // A name typed without extension takes the one of the chosen file type.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& chosen) {
        static const QRegularExpression ext(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch m = ext.match(chosen);
        if (m.hasMatch())
            dialog.setDefaultSuffix(m.captured(1));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog.selectedNameFilter();
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
                         const QString& defaultSuffix, QString* selectedFilter) override
    {
        return RunFileDialog(parent, QFileDialog::AcceptSave, directory, filter, defaultSuffix, selectedFilter);
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
