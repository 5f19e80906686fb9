#pragma once
// Support for the dialog tests: the main window over the sample card base with the
// program's dialogs created, each opening handed to the test instead of a modal loop.
//
// The whole test program never runs a modal loop of these dialogs: a test
// environment makes every dialog that nobody drives close at once with Cancel, so a
// command that opens one cannot hang a test.
#include "MainFormTestSupport.h"

#include "ui/About.h"
#include "ui/DialogForm.h"
#include "ui/DialogHooks.h"
#include "ui/Edit.h"
#include "ui/Option.h"
#include "ui/Search.h"
#include "ui/Statistic.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include <functional>

class TNoModalLoops : public ::testing::Environment {
public:
    void SetUp() override
    {
        TDialogForm::ModalRunner = [](TDialogForm& form) { form.reject(); };
    }
};

inline const bool NoModalLoopsRegistered = (::testing::AddGlobalTestEnvironment(new TNoModalLoops), true);

// The main window, its data module and the dialogs, like at program start.
class DialogsTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        if (IsSkipped() || HasFatalFailure() || !Form)
            return;
        PreviousRunner = TDialogForm::ModalRunner;
        CreateDialogs(*Form);
    }

    void TearDown() override
    {
        TDialogForm::ModalRunner = PreviousRunner;
        DestroyDialogs();
        MainFormTest::TearDown();
    }

    // Each opening of a dialog calls drive with the dialog, already filled by its
    // opening handler and shown (not modally); drive closes it with one of the
    // dialog's buttons. Openings counts them.
    template <class TForm>
    void OnOpen(std::function<void(TForm& form)> drive)
    {
        TDialogForm::ModalRunner = [this, drive](TDialogForm& form) {
            ++Openings;
            auto* f = dynamic_cast<TForm*>(&form);
            ASSERT_NE(f, nullptr) << "another dialog opened: " << form.objectName().toStdString();
            form.show();
            drive(*f);
            form.hide();
        };
    }

    int Openings = 0;
    TDialogForm::TModalRunner PreviousRunner;
};

// Every text-bearing control of a dialog shows its whole text, every control lies
// inside its parent, and no two controls of one parent overlap. Returns the faults
// found, one a line (empty when none).
inline std::string LayoutFaults(QWidget* dialog)
{
    QStringList faults;
    auto isControl = [](QWidget* w) {
        return qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w)
               || qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QListWidget*>(w)
               || qobject_cast<QComboBox*>(w) || qobject_cast<QTabWidget*>(w) || qobject_cast<TStringGrid*>(w)
               || qobject_cast<TPaintBox*>(w) || w->objectName() == "Panel1";
    };
    // The parts of compound controls (a tab bar's scroll buttons, a combo box's
    // list) are not the dialog's controls.
    auto isPart = [dialog](QWidget* w) {
        for (QWidget* p = w->parentWidget(); p && p != dialog; p = p->parentWidget())
            if (qobject_cast<QTabBar*>(p) || qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractScrollArea*>(p))
                return true;
        return false;
    };
    QList<QWidget*> controls;
    for (QWidget* w : dialog->findChildren<QWidget*>())
        if (isControl(w) && w->isVisibleTo(dialog) && !isPart(w))
            controls << w;
    for (QWidget* w : controls) {
        const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                                       : w->objectName();
        const QFontMetrics fm = w->fontMetrics();
        QString text;
        int need = 0;
        if (auto* l = qobject_cast<QLabel*>(w)) {
            text = l->text();
            need = l->sizeHint().width();
        } else if (auto* c = qobject_cast<QCheckBox*>(w)) {
            text = c->text();
            need = c->sizeHint().width();
        } else if (auto* r = qobject_cast<QRadioButton*>(w)) {
            text = r->text();
            need = r->sizeHint().width();
        } else if (auto* b = qobject_cast<QPushButton*>(w)) {
            text = b->text();
            need = fm.horizontalAdvance(text) + 8;
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            text = g->title();
            need = fm.horizontalAdvance(text) + 8;
        }
        if (!text.isEmpty() && (w->width() < need || w->height() < fm.height()))
            faults << name + QString(" cuts its text \"%1\": %2x%3 for %4x%5")
                                 .arg(text).arg(w->width()).arg(w->height()).arg(need).arg(fm.height());
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults << name + " lies outside its parent";
    }
    for (int i = 0; i < controls.size(); ++i)
        for (int j = i + 1; j < controls.size(); ++j)
            if (controls[i]->parentWidget() == controls[j]->parentWidget()
                && controls[i]->geometry().intersects(controls[j]->geometry()))
                faults << controls[i]->objectName() + "/" + controls[i]->property("text").toString() + " overlaps "
                              + controls[j]->objectName() + "/" + controls[j]->property("text").toString();
    return faults.join("\n").toStdString();
}
