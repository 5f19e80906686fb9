#include "ui/FormScale.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace {

double GFormScale = 1.0;

constexpr double kDesignPoints = 9.0;
constexpr char kScaledProperty[] = "TomelarkScaled";

bool LayoutHolds(const QLayout* layout, const QWidget* widget)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (!item)
            continue;
        if (item->widget() == widget)
            return true;
        if (const QLayout* inner = item->layout(); inner && LayoutHolds(inner, widget))
            return true;
    }
    return false;
}

void ScaleLayout(QLayout* layout)
{
    const QMargins m = layout->contentsMargins();
    layout->setContentsMargins(Scaled(m.left()), Scaled(m.top()), Scaled(m.right()), Scaled(m.bottom()));
    if (layout->spacing() > 0)
        layout->setSpacing(Scaled(layout->spacing()));
    for (int i = 0; i < layout->count(); ++i)
        if (QLayoutItem* item = layout->itemAt(i)) {
            if (QLayout* inner = item->layout())
                ScaleLayout(inner);
            else if (QSpacerItem* spacer = item->spacerItem(); spacer && !spacer->sizeHint().isEmpty())
                spacer->changeSize(Scaled(spacer->sizeHint().width()), Scaled(spacer->sizeHint().height()),
                                   spacer->sizePolicy().horizontalPolicy(), spacer->sizePolicy().verticalPolicy());
        }
}

// The explicit size bounds (setFixedSize, setMinimumWidth, ...). The scale is never
// below 1, so the new maximum is set first and always holds the new minimum.
void ScaleBounds(QWidget* w)
{
    const QSize lo = w->minimumSize(), hi = w->maximumSize();
    w->setMaximumSize(hi.width() >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : Scaled(hi.width()),
                      hi.height() >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : Scaled(hi.height()));
    w->setMinimumSize(Scaled(lo.width()), Scaled(lo.height()));
}

// Widgets whose children are the form's own controls. The parts of compound controls
// (a grid's header and scroll bars, a combo box's list, a line edit's buttons) are
// left to their owners, which place them themselves.
bool IsContainer(const QWidget* w)
{
    return !(qobject_cast<const QAbstractScrollArea*>(w) || qobject_cast<const QComboBox*>(w)
             || qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w)
             || qobject_cast<const QTabBar*>(w) || qobject_cast<const QAbstractButton*>(w)
             || qobject_cast<const QLabel*>(w) || qobject_cast<const QToolBar*>(w) || qobject_cast<const QMenuBar*>(w)
             || qobject_cast<const QStatusBar*>(w));
}

// The indicators of check boxes, radio buttons and checkable list items at the form
// scale; everything else as the desktop's style has it.
class TScaledIndicatorStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return Scaled(size);
        default:
            return size;
        }
    }
};

// One such style for each form, owned by it and created before its controls are
// walked.
void UseIndicatorStyle(QWidget* w)
{
    if (auto* style = w->window()->findChild<TScaledIndicatorStyle*>(QString(), Qt::FindDirectChildrenOnly))
        w->setStyle(style);
}

void ScaleWidget(QWidget* w, bool placedByHand);

void ScaleChildren(QWidget* parent)
{
    if (auto* tabs = qobject_cast<QTabWidget*>(parent)) {
        for (int i = 0; i < tabs->count(); ++i)
            ScaleWidget(tabs->widget(i), false);
        return;
    }
    if (auto* splitter = qobject_cast<QSplitter*>(parent)) {
        splitter->setHandleWidth(Scaled(splitter->handleWidth()));
        for (int i = 0; i < splitter->count(); ++i)
            ScaleWidget(splitter->widget(i), false);
        return;
    }
    if (!IsContainer(parent))
        return;
    // The main window's layout places its bars and its central widget.
    const bool managed = qobject_cast<QMainWindow*>(parent) != nullptr;
    const QObjectList children = parent->children();
    for (QObject* child : children) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow())
            continue;
        ScaleWidget(w, !managed && !(parent->layout() && LayoutHolds(parent->layout(), w)));
    }
}

void ScaleWidget(QWidget* w, bool placedByHand)
{
    const bool sized = w->property(kScaledProperty).toBool();
    if (!sized)
        ScaleBounds(w);
    if (placedByHand) {
        if (sized)
            w->move(Scaled(w->x()), Scaled(w->y()));
        else
            w->setGeometry(Scaled(w->geometry()));
        // The font grows in whole pixels and its line a little more than the scale:
        // a caption keeps at least one whole line.
        const bool caption = qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w);
        if (caption && w->height() < w->fontMetrics().height() && w->maximumHeight() >= w->fontMetrics().height())
            w->resize(w->width(), w->fontMetrics().height());
    }
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w) || qobject_cast<QListWidget*>(w))
        UseIndicatorStyle(w);
    if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->icon().isNull())
        button->setIconSize(QSize(Scaled(button->iconSize().width()), Scaled(button->iconSize().height())));
    if (auto* bar = qobject_cast<QToolBar*>(w))
        bar->setIconSize(QSize(Scaled(bar->iconSize().width()), Scaled(bar->iconSize().height())));
    if (w->layout())
        ScaleLayout(w->layout());
    ScaleChildren(w);
}

} // namespace

double DesktopFontScale(const QFont& desktopFont)
{
    double points = desktopFont.pointSizeF();
    if (points <= 0 && desktopFont.pixelSize() > 0)
        points = desktopFont.pixelSize() * 72.0 / 96.0;
    if (!(points > 0))
        return 1.0;
    const double steps = std::round(points / kDesignPoints * 8.0) / 8.0;
    return std::clamp(steps, 1.0, 4.0);
}

double FormScale()
{
    return GFormScale;
}

void SetFormScale(double scale)
{
    GFormScale = std::clamp(scale, 1.0, 4.0);
}

void InitFormScale()
{
    SetFormScale(DesktopFontScale(QGuiApplication::font()));
}

int Scaled(int designPixels)
{
    return int(std::lround(designPixels * GFormScale));
}

QRect Scaled(const QRect& design)
{
    const int left = Scaled(design.left()), top = Scaled(design.top());
    return QRect(left, top, Scaled(design.left() + design.width()) - left,
                 Scaled(design.top() + design.height()) - top);
}

std::vector<int> Scaled(const std::vector<int>& designRuns)
{
    std::vector<int> runs;
    runs.reserve(designRuns.size());
    int designEdge = 0, edge = 0;
    for (int run : designRuns) {
        designEdge += run;
        const int next = Scaled(designEdge);
        runs.push_back(next - edge);
        edge = next;
    }
    return runs;
}

int Unscaled(int pixels)
{
    return int(std::lround(pixels / GFormScale));
}

QFont FormFont()
{
    static bool substituted = false;
    const QString family = QStringLiteral("MS Sans Serif");
    if (!substituted) {
        substituted = true;
        if (!QFontDatabase::families().contains(family, Qt::CaseInsensitive) && QFont::substitutes(family).isEmpty())
            QFont::insertSubstitutions(family, {QStringLiteral("PT Sans"), QStringLiteral("Nimbus Sans"),
                                                QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    }
    QFont font(family);
    font.setPixelSize(Scaled(11));
    return font;
}

void ScaleForm(QWidget* form)
{
    if (GFormScale == 1.0 || form->property(kScaledProperty).toBool())
        return;
    (new TScaledIndicatorStyle)->setParent(form);
    ScaleBounds(form);
    if (!form->layout() || qobject_cast<QMainWindow*>(form))
        form->resize(std::max(form->minimumWidth(), Scaled(form->width())),
                     std::max(form->minimumHeight(), Scaled(form->height())));
    if (form->layout() && !qobject_cast<QMainWindow*>(form))
        ScaleLayout(form->layout());
    ScaleChildren(form);
    form->setProperty(kScaledProperty, true);
}

void MarkScaled(QWidget* control)
{
    control->setProperty(kScaledProperty, true);
}
