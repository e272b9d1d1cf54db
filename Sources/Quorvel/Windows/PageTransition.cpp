#include "Windows/PageTransition.h"

#include <QEasingCurve>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QWidget>

namespace quorvel {

namespace {
// The platform's ease-in-ease-out timing curve.
QEasingCurve easeInEaseOut() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

QPropertyAnimation* animation(QObject* target, const QByteArray& property, const QVariant& end) {
    auto* step = new QPropertyAnimation(target, property);
    step->setDuration(PageTransition::durationMilliseconds);
    step->setEasingCurve(easeInEaseOut());
    step->setEndValue(end);
    return step;
}
} // namespace

PageTransition::PageTransition(QWidget* host, std::function<void(QWidget*)> removing)
    : QObject(host), host_(host), removing_(std::move(removing)) {
    host_->installEventFilter(this);
}

void PageTransition::show(QWidget* page, bool animated, bool forward) {
    finish();
    QWidget* old = current_;
    const QRect bounds = host_->rect();
    const int offset = forward ? bounds.width() : -bounds.width();
    page->setParent(host_);
    page->setGeometry(animated ? bounds.translated(offset, 0) : bounds);
    page->show();
    current_ = page;
    if (!animated || !old) {
        page->setGeometry(bounds);
        if (old)
            remove(old);
        return;
    }
    auto* fade = new QGraphicsOpacityEffect(old);
    fade->setOpacity(1.0);
    old->setGraphicsEffect(fade);
    auto* group = new QParallelAnimationGroup(this);
    group->addAnimation(animation(page, "pos", bounds.topLeft()));
    group->addAnimation(animation(old, "pos", bounds.topLeft() - QPoint(offset, 0)));
    group->addAnimation(animation(fade, "opacity", 0.0));
    connect(group, &QParallelAnimationGroup::finished, this, [this, old = QPointer<QWidget>(old)] {
        if (old)
            remove(old);
    });
    running_ = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

bool PageTransition::isRunning() const {
    return running_ && running_->state() == QAbstractAnimation::Running;
}

void PageTransition::finish() {
    if (!isRunning())
        return;
    running_->setCurrentTime(running_->totalDuration());
}

bool PageTransition::eventFilter(QObject* watched, QEvent* event) {
    if (watched == host_ && event->type() == QEvent::Resize && current_ && !isRunning())
        current_->setGeometry(host_->rect());
    return QObject::eventFilter(watched, event);
}

void PageTransition::remove(QWidget* page) {
    if (removing_)
        removing_(page);
    page->hide();
    page->deleteLater();
}

} // namespace quorvel
