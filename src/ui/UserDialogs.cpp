#include "ui/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>
#include <QMessageBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QSpacerItem>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>
#include <memory>

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

} // namespace

std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& directory,
                                            const QString& filter, const QString& defaultSuffix)
{
    auto dialog = std::make_unique<QFileDialog>(parent, QString(), directory, filter);
    dialog->setAcceptMode(mode);
    dialog->setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog->setDefaultSuffix(defaultSuffix);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    // A name typed without extension takes the one of the chosen file type.
    QFileDialog* d = dialog.get();
    QObject::connect(d, &QFileDialog::filterSelected, d, [d](const QString& chosen) {
        static const QRegularExpression ext(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch m = ext.match(chosen);
        if (m.hasMatch())
            d->setDefaultSuffix(m.captured(1));
    });
    // Qt's own dialog (where the desktop offers none): large enough that its columns
    // (name, size, type, date) show their titles and values whole.
    d->resize(std::max(d->width(), 820), std::max(d->height(), 480));
    if (auto* view = d->findChild<QTreeView*>(QStringLiteral("treeView"))) {
        // The name takes the room the others leave; they are as wide as their content.
        QHeaderView* header = view->header();
        header->setMinimumSectionSize(80);
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int c = 1; c < header->count(); ++c)
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    }
    if (auto* splitter = d->findChild<QSplitter*>(QStringLiteral("splitter")))
        splitter->setSizes({160, d->width() - 160});
    return dialog;
}

void FitCaption(QMessageBox& box)
{
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    // The title bar's own font is the desktop's; the window's font stands in for it,
    // with room for the title bar's buttons.
    const int wanted = QFontMetrics(QApplication::font()).horizontalAdvance(box.windowTitle())
                       + 160;
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

namespace {

QString RunFileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& directory,
                      const QString& filter, const QString& defaultSuffix, QString* selectedFilter = nullptr)
{
    const std::unique_ptr<QFileDialog> dialog = MakeFileDialog(parent, mode, directory, filter, defaultSuffix);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return QString();
    if (selectedFilter)
        *selectedFilter = dialog->selectedNameFilter();
    return dialog->selectedFiles().first();
}

class TQtDialogs : public IUserDialogs {
public:
    void ShowError(QWidget* parent, const QString& text) override
    {
        QMessageBox box(QMessageBox::Critical, TitleOrName(), MessageBoxText(text), QMessageBox::Ok, parent);
        FitCaption(box);
        box.exec();
    }
    void ShowMessage(QWidget* parent, const QString& caption, const QString& text) override
    {
        QMessageBox box(QMessageBox::NoIcon, caption.isEmpty() ? TitleOrName() : caption, MessageBoxText(text),
                        QMessageBox::Ok, parent);
        FitCaption(box);
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
