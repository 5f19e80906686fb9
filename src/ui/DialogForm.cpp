#include "ui/DialogForm.h"

#include "ui/FormScale.h"

#include <QGuiApplication>
#include <QScreen>

TDialogForm::TModalRunner TDialogForm::ModalRunner;

TDialogForm::TDialogForm(QWidget* parent, int clientWidth, int clientHeight)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setFont(FormFont());
    setFixedSize(clientWidth, clientHeight);
    setModal(true);
}

int TDialogForm::ShowModal()
{
    setResult(QDialog::Rejected);
    FormShow();
    if (ModalRunner) {
        ModalRunner(*this);
        return result();
    }
    PlaceDialog();
    return exec();
}

void TDialogForm::PlaceDialog()
{
    if (Position == poDesigned)
        return;
    const QWidget* over = parentWidget();
    QRect area;
    if (Position == poMainFormCenter && over && over->isVisible())
        area = over->geometry();
    else if (const QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (!area.isValid())
        return;
    // The client area is centred (not the frame, which the window system adds once
    // the dialog has been shown): every showing puts the dialog at the same place.
    QRect client(QPoint(), size());
    client.moveCenter(area.center());
    setGeometry(client);
}
