#include "Windows/StatusDotView.h"

#include <QPainter>

namespace quorvel {

StatusDotView::StatusDotView(Colour colour, QWidget* parent) : QWidget(parent), colour_(colour) {}

void StatusDotView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour());
    painter.drawEllipse(QRectF(rect()).adjusted(1, 1, -1, -1));
}

} // namespace quorvel
