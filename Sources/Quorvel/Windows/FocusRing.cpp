#include "Windows/FocusRing.h"

#include "Windows/AccessibilityHidden.h"
#include "Windows/Palette.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QPainterPath>

namespace quorvel {

namespace {
constexpr qreal ringWidth = 2.5;
constexpr qreal ringOffset = 2.5;
constexpr qreal defaultRadius = 6;

bool movesOrHides(QEvent::Type type) {
    return type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide;
}
} // namespace

void FocusRing::attach(QWidget& window) {
    new FocusRing(window);
}

FocusRing::FocusRing(QWidget& window) : QWidget(&window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(window.rect());
    AccessibilityHidden::hide(this);
    qApp->installEventFilter(this);
}

// The focus reason comes only with the focus event, which goes to the control alone, so the ring
// watches the application's events: focus in this window, the window (its size, new content to stay
// above) and the focused control and its parents moving.
bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    const QEvent::Type type = event->type();
    if (widget == parentWidget()) {
        if (type == QEvent::Resize || type == QEvent::ChildAdded) {
            setGeometry(parentWidget()->rect());
            raise();
        }
    } else if (type == QEvent::FocusIn && widget->window() == parentWidget()) {
        follow(widget, static_cast<QFocusEvent*>(event)->reason());
    } else if (type == QEvent::FocusOut && widget == focused_) {
        update();
    } else if (shown_ && focused_ && movesOrHides(type) &&
               (widget == focused_ || widget->isAncestorOf(focused_))) {
        update();
    }
    return false;
}

// Focus that comes with the window (the first control of a window just opened, or the last one of a
// window activated again), or after a pop-up, keeps the ring as it was: none until a key moves it.
void FocusRing::follow(QWidget* focused, Qt::FocusReason reason) {
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        shown_ = reason != Qt::MouseFocusReason;
    focused_ = focused;
    raise();
    update();
}

QWidget* FocusRing::ringed() const {
    QWidget* widget = focused_;
    if (widget && widget->property(aroundParentProperty).toBool() && widget->parentWidget())
        widget = widget->parentWidget();
    return widget;
}

// Controls in a scrolled page are ringed only within the visible part of the page.
QRect FocusRing::clipArea() const {
    for (QWidget* widget = focused_; widget && widget != parentWidget(); widget = widget->parentWidget())
        if (auto* scrollArea = qobject_cast<QAbstractScrollArea*>(widget->parentWidget());
            scrollArea && widget == scrollArea->viewport())
            return QRect(widget->mapTo(parentWidget(), QPoint(0, 0)), widget->size());
    return rect();
}

void FocusRing::paintEvent(QPaintEvent*) {
    QWidget* widget = ringed();
    if (!shown_ || !widget || !focused_->hasFocus() || !widget->isVisible())
        return;
    const QRectF area(QPointF(widget->mapTo(parentWidget(), QPoint(0, 0))), QSizeF(widget->size()));
    const QRectF ring = area.adjusted(-ringOffset, -ringOffset, ringOffset, ringOffset);
    const QVariant radiusValue = widget->property(radiusProperty);
    const qreal radius =
        std::min(radiusValue.isValid() ? radiusValue.toReal() : defaultRadius, ring.height() / 2);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(clipArea());
    painter.setPen(QPen(Palette::accent(), ringWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(ring, radius, radius);
}

} // namespace quorvel
