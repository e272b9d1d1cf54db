#include "Windows/ToggleSwitch.h"

#include "Windows/FocusRing.h"
#include "Windows/Palette.h"

#include <QPainter>
#include <QPainterPath>

namespace quorvel {

ToggleSwitch::ToggleSwitch(const QString& accessibleName, QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(accessibleName);
    setFixedSize(sizeHint());
    setProperty(FocusRing::radiusProperty, trackHeight);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);

    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? Palette::accent() : Palette::controlTrack());
    painter.drawRoundedRect(track, radius, radius);

    constexpr qreal knobInset = 2;
    const qreal knobDiameter = track.height() - 2 * knobInset;
    const qreal knobLeft = isChecked() ? track.right() - knobInset - knobDiameter : track.left() + knobInset;
    const QRectF knob(knobLeft, track.top() + knobInset, knobDiameter, knobDiameter);
    QColor shadow = Palette::label();
    shadow.setAlphaF(0.18f);
    painter.setBrush(shadow);
    painter.drawEllipse(knob.translated(0, 0.6));
    painter.setBrush(Palette::onAccent());
    painter.drawEllipse(knob);
}

} // namespace quorvel
