#include "ui/ErrorHandling.h"

#include "Library/Common/ExtUtils.h"
#include "ui/UserDialogs.h"

#include <QGuiApplication>

QString ExceptionText(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        return Win1251ToQString(e.what());
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QString::fromUtf8("Неизвестная ошибка");
    }
}

namespace {

void ShowText(const QString& text)
{
    // An error box must not fail in turn: whatever happens while showing it is lost.
    try {
        QWidget* parent = QApplication::activeModalWidget();
        if (!parent)
            parent = QApplication::activeWindow();
        // The box needs the normal cursor even when the failing command showed the
        // hourglass and has not restored it yet.
        const bool waiting = QGuiApplication::overrideCursor() != nullptr;
        if (waiting)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
        UserDialogs().ShowError(parent, text);
        if (waiting)
            QGuiApplication::restoreOverrideCursor();
    } catch (...) {
    }
}

} // namespace

void ShowErrorMessage(const std::string& message1251)
{
    ShowText(Win1251ToQString(message1251));
}

void ShowError(const std::exception_ptr& error)
{
    ShowText(ExceptionText(error));
}

TWaitCursor::TWaitCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool DeliverGuarded(const std::function<bool()>& deliver) noexcept
{
    try {
        return deliver();
    } catch (...) {
        ShowError(std::current_exception());
        return false;
    }
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    return DeliverGuarded([&] { return QApplication::notify(receiver, event); });
}
