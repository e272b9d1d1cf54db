#include "Windows/SettingsLamplineView.h"

#include "Platform/SystemColours.h"
#include "Windows/Palette.h"

#include <QPainter>

namespace quorvel {

SettingsLamplineView::SettingsLamplineView(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
}

void SettingsLamplineView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Palette::label(), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);

    // Lamps 6 across with their left edges at 6, 16, 26 and 36 and their bottom edges 7 above the
    // view's bottom.
    constexpr qreal diameter = 6;
    constexpr qreal bottomInset = 7;
    const qreal top = height() - bottomInset - diameter;
    const QColor colours[] = {SystemColours::red(), SystemColours::orange(), SystemColours::blue(),
                              SystemColours::green()};
    painter.setPen(Qt::NoPen);
    for (int index = 0; index < 4; ++index) {
        painter.setBrush(colours[index]);
        painter.drawEllipse(QRectF(6 + 10 * index, top, diameter, diameter));
    }
}

} // namespace quorvel
