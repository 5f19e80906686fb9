#include "ui/UserDialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
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

std::unique_ptr<QMessageBox> MakeSaveChangesBox(QWidget* parent, const QString& text)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Warning, TitleOrName(), MessageBoxText(text),
                                             QMessageBox::NoButton, parent);
    QPushButton* save = box->addButton(QStringLiteral("&Сохранить"), QMessageBox::AcceptRole);
    save->setObjectName(QStringLiteral("SaveButton"));
    box->addButton(QStringLiteral("&Не сохранять"), QMessageBox::DestructiveRole)
        ->setObjectName(QStringLiteral("DiscardButton"));
    QPushButton* cancel = box->addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    box->setDefaultButton(save);
    box->setEscapeButton(cancel);
    FitCaption(*box);
    return box;
}

std::unique_ptr<QDialog> MakeReportDialog(QWidget* parent, const QString& caption, const QString& summary,
                                          const QString& list)
{
    auto dialog = std::make_unique<QDialog>(parent);
    dialog->setWindowTitle(caption.isEmpty() ? TitleOrName() : caption);
    auto* layout = new QVBoxLayout(dialog.get());
    auto* label = new QLabel(MessageBoxText(summary), dialog.get());
    label->setObjectName(QStringLiteral("SummaryLabel"));
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* text = new QPlainTextEdit(MessageBoxText(list), dialog.get());
    text->setObjectName(QStringLiteral("ListText"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog.get());
    QPushButton* copy = buttons->addButton(QStringLiteral("&Копировать список"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("CopyButton"));
    const QString copied = MessageBoxText(list);
    QObject::connect(copy, &QPushButton::clicked, dialog.get(),
                     [copied] { QGuiApplication::clipboard()->setText(copied); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog.get(), &QDialog::accept);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    // Wide enough for the longest line (up to a width any screen has), high enough for
    // a dozen lines.
    const QFontMetrics fm(text->font());
    int longest = 0;
    for (const QString& line : copied.split(QLatin1Char('\n')))
        longest = std::max(longest, fm.horizontalAdvance(line));
    dialog->resize(std::clamp(longest + 80, 460, 960), std::max(300, fm.lineSpacing() * 14 + 120));
    return dialog;
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
    TSaveAnswer AskSaveChanges(QWidget* parent, const QString& text) override
    {
        const std::unique_ptr<QMessageBox> box = MakeSaveChangesBox(parent, text);
        box->exec();
        const QAbstractButton* clicked = box->clickedButton();
        if (!clicked || clicked->objectName() == QLatin1String("CancelButton"))
            return TSaveAnswer::Cancel;
        return clicked->objectName() == QLatin1String("SaveButton") ? TSaveAnswer::Save : TSaveAnswer::Discard;
    }
    void ShowReport(QWidget* parent, const QString& caption, const QString& summary, const QString& list) override
    {
        MakeReportDialog(parent, caption, summary, list)->exec();
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
