#pragma once
// What the filter, statistics, options, card editor and about dialogs have in common:
// the program's form font, a fixed client size, the opening handler run each time the
// dialog is shown, and modal showing through one replaceable runner, so that the
// dialogs can be driven without a modal loop (tests, unattended runs). Each dialog is
// built in designed pixels and brought to the form scale at the end of its
// constructor (ScaleForm).
#include <QDialog>
#include <QString>

#include <functional>

class QWidget;

// UTF-8 source literal to QString.
inline QString U8(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

class TDialogForm : public QDialog {
    Q_OBJECT
public:
    // A dialog whose client area is clientWidth x clientHeight pixels, not resizable.
    TDialogForm(QWidget* parent, int clientWidth, int clientHeight);

    // Shows the dialog modally: runs FormShow, places the dialog by Position and runs
    // the modal loop, or hands the dialog to ModalRunner when one is set. Returns the
    // dialog's result (Accepted or Rejected).
    int ShowModal();

    // Replaces the modal loop: called with the dialog after FormShow ran; it sets the
    // controls and closes the dialog with one of its own handlers (OK, Cancel). Null:
    // the real modal loop.
    using TModalRunner = std::function<void(TDialogForm& form)>;
    static TModalRunner ModalRunner;

    // The opening handler, run by ShowModal each time before the dialog appears.
    virtual void FormShow() {}

    // Where the dialog appears: centred over its parent window, centred on the
    // screen, or where the window system puts it.
    enum TPosition { poMainFormCenter, poScreenCenter, poDesigned };
    TPosition Position = poMainFormCenter;
    // Puts the dialog where Position says, the same place at every showing.
    void PlaceDialog();
};
