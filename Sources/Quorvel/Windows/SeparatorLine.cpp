#include "Windows/SeparatorLine.h"

#include "Windows/Palette.h"

#include <QPainter>

namespace quorvel {

SeparatorLine::SeparatorLine(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SeparatorLine::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Palette::separator());
}

} // namespace quorvel
