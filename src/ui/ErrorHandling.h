#pragma once
// One place for errors raised inside commands: every slot and action handler of the
// windows runs its work through Guarded, which catches whatever the work throws and
// shows it in the application's error box; the program then goes on. The
// application's notify is the last resort for anything that still escapes, so Qt
// never sees an exception leave an event handler.
//
// Clean-up that must run also when a command fails is written with TScopeExit (or
// another destructor), so it runs before the error reaches the box.
#include <QApplication>
#include <QString>

#include <exception>
#include <functional>
#include <string>
#include <utility>

class QWidget;

// The text of an error: an `Exception` carries Windows-1251, any other standard
// error is taken as the platform's local 8-bit text.
QString ExceptionText(const std::exception_ptr& error);

// Shows an error in the application's error box (through UserDialogs, so tests can
// catch it). The message is Windows-1251.
void ShowErrorMessage(const std::string& message1251);
void ShowError(const std::exception_ptr& error);

// Runs work and shows anything it throws. Never throws itself.
template <class F>
void Guarded(F&& work) noexcept
{
    try {
        std::forward<F>(work)();
    } catch (...) {
        ShowError(std::current_exception());
    }
}

// Runs a function when the scope ends, also when it ends by an exception.
template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F f) : Fn(std::move(f)) {}
    ~TScopeExit() noexcept(false)
    {
        // While an exception is already on its way the clean-up's own failure would
        // end the program; it is shown instead and the first error goes on.
        if (std::uncaught_exceptions() > Pending)
            Guarded(Fn);
        else
            Fn();
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F Fn;
    int Pending = std::uncaught_exceptions();
};

// The hourglass cursor for the life of the object.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// Delivers an event through `deliver` (the application's own notify); an exception
// it lets escape is shown and the event counts as not handled.
bool DeliverGuarded(const std::function<bool()>& deliver) noexcept;

// The program's application object: catches what an event handler lets escape.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
