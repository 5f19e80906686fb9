#include "ui/About.h"

#include "BuildInfo.h"
#include "ui/DialogHooks.h"
#include "ui/ErrorHandling.h"
#include "ui/FormScale.h"
#include "ui/MainForm.h"
#include "ui/UserDialogs.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>
#include <QPushButton>

QPointer<TAboutForm> AboutForm;

std::function<bool(const QUrl& link)> TAboutForm::LinkOpener = [](const QUrl& link) {
    return QDesktopServices::openUrl(link);
};

namespace {

constexpr int kPanelWidth = 281;
constexpr int kLabelRight = 129; // the captions end here
constexpr int kValueLeft = 144;  // the values start here

// A panel with a lowered outer and a raised inner bevel.
class TBevelPanel : public QFrame {
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect();
        qDrawShadePanel(&p, r, palette(), true, 1);
        qDrawShadePanel(&p, r.adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

QLabel* Label(QWidget* parent, const QString& text, int x, int y, int width, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 16);
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

QLabel* Caption(QWidget* parent, const char* text, int y)
{
    return Label(parent, U8(text), 8, y, kLabelRight - 8, Qt::AlignRight);
}

QLabel* Value(QWidget* parent, const QString& text, int y)
{
    return Label(parent, text, kValueLeft, y, kPanelWidth - kValueLeft - 4);
}

void MakeLink(QLabel* label, QObject* filter)
{
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(p);
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(filter);
}

} // namespace

QUrl TAboutForm::MailLink()
{
    return QUrl(U8("mailto:") + U8(TOMELARK_MAIL));
}

QUrl TAboutForm::WebLink()
{
    return QUrl(U8(TOMELARK_WEB_URL));
}

TAboutForm::TAboutForm(QWidget* parent) : TDialogForm(parent, 298, 241)
{
    setObjectName(U8("AboutForm"));
    setWindowTitle(U8("О программе"));
    Position = poScreenCenter;

    Panel1 = new TBevelPanel(this);
    Panel1->setObjectName(U8("Panel1"));
    Panel1->setGeometry(8, 8, kPanelWidth, 193);

    ProductName = new QLabel(U8(TOMELARK_PRODUCT_NAME), Panel1);
    ProductName->setObjectName(U8("ProductName"));
    ProductName->setGeometry(2, 8, kPanelWidth - 4, 28);
    ProductName->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont title(U8("Times New Roman"));
    title.setStyleHint(QFont::Serif);
    title.setPixelSize(Scaled(21));
    title.setBold(true);
    title.setItalic(true);
    ProductName->setFont(title);
    QPalette blue = ProductName->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    ProductName->setPalette(blue);

    Version = Label(Panel1, U8("Версия ") + U8(TOMELARK_VERSION), 2, 40, kPanelWidth - 4, Qt::AlignHCenter);
    Version->setObjectName(U8("Version"));

    DeveloperLabel = Caption(Panel1, "Разработчик:", 72);
    Developer = Value(Panel1, U8("Команда Tomelark"), 72);
    Developer->setObjectName(U8("Developer"));

    MailLabel = Caption(Panel1, "e-mail:", 92);
    StaticText1 = Value(Panel1, U8(TOMELARK_MAIL), 92);
    StaticText1->setObjectName(U8("StaticText1"));
    StaticText1->setToolTip(MailLink().toString());
    MakeLink(StaticText1, this);

    WebLabel = Caption(Panel1, "http:", 112);
    StaticText2 = Value(Panel1, WebLink().host(), 112);
    StaticText2->setObjectName(U8("StaticText2"));
    StaticText2->setToolTip(WebLink().toString());
    MakeLink(StaticText2, this);

    // Where the Russian card texts come from: the official Russian printings (MTGJSON
    // data, CC0) where a card has one, the team's own translations otherwise.
    TranslatorsLabel = Caption(Panel1, "Перевод текстов:", 152);
    Translator1 = Value(Panel1, U8("MTGJSON (CC0)"), 152);
    Translator1->setObjectName(U8("Translator1"));
    Translator1->setToolTip(U8("Официальные русские издания карт из данных MTGJSON (CC0), где они есть"));
    Translator2 = Value(Panel1, U8("Команда Tomelark"), 168);
    Translator2->setObjectName(U8("Translator2"));
    Translator2->setToolTip(U8("Собственные переводы команды Tomelark для остальных карт"));

    OKButton = new QPushButton(U8("OK"), this);
    OKButton->setObjectName(U8("OKButton"));
    OKButton->setGeometry(111, 209, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    ScaleForm(this);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == StaticText1) {
            Guarded([this] { StaticText1Click(); });
            return true;
        }
        if (watched == StaticText2) {
            Guarded([this] { StaticText2Click(); });
            return true;
        }
    }
    return TDialogForm::eventFilter(watched, event);
}

void TAboutForm::OpenLink(const QUrl& link)
{
    const bool opened = LinkOpener && LinkOpener(link);
    if (!opened)
        UserDialogs().ShowMessage(this, QString(), U8("\"") + link.toString() + U8("\" not found"));
}

void CreateAboutForm(TMainForm& mainForm)
{
    DestroyAboutForm();
    AboutForm = new TAboutForm(&mainForm);
    DialogHooks.About = [](QWidget*) {
        if (AboutForm)
            AboutForm->ShowModal();
    };
    DialogHooks.SetAboutVersion = [](const QString& productName, const QString& version) {
        if (!AboutForm)
            return;
        AboutForm->ProductName->setText(productName);
        AboutForm->Version->setText(version);
    };
}

void DestroyAboutForm()
{
    delete AboutForm;
    AboutForm = nullptr;
    DialogHooks.About = nullptr;
    DialogHooks.SetAboutVersion = nullptr;
}
