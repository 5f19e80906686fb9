#pragma once
// The about box TAboutForm: the product name and version, the developer, the sources
// of the Russian card texts, and two links (mail and web site) opened by the desktop's
// default handler. The project's own addresses come from the build (BuildInfo.h:
// TOMELARK_MAIL, TOMELARK_WEB_URL).
#include "ui/DialogForm.h"

#include <QPointer>

#include <QUrl>

#include <functional>

class QFrame;
class QLabel;
class QPushButton;
class TMainForm;

class TAboutForm : public TDialogForm {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    // The mail link ("mailto:" + the project's address) and the web link.
    static QUrl MailLink();
    static QUrl WebLink();

    // Hands a link to the desktop's default handler; when that fails, a notice
    // "\"<link>\" not found" (the box stays open).
    void OpenLink(const QUrl& link);
    void StaticText1Click() { OpenLink(MailLink()); }
    void StaticText2Click() { OpenLink(WebLink()); }

    // How links are opened: QDesktopServices::openUrl unless replaced; true when the
    // desktop took the link.
    static std::function<bool(const QUrl& link)> LinkOpener;

    QFrame* Panel1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* DeveloperLabel = nullptr;
    QLabel* Developer = nullptr;
    QLabel* MailLabel = nullptr;
    QLabel* StaticText1 = nullptr;
    QLabel* WebLabel = nullptr;
    QLabel* StaticText2 = nullptr;
    QLabel* TranslatorsLabel = nullptr;
    QLabel* Translator1 = nullptr;
    QLabel* Translator2 = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Cleared when the dialog is destroyed (also together with the main window).
extern QPointer<TAboutForm> AboutForm;
// Creates AboutForm and fills the about hooks (showing it, and its name and version
// labels, which the main window sets when it is first shown).
void CreateAboutForm(TMainForm& mainForm);
void DestroyAboutForm();
