#include "Windows/CardBox.h"

#include "Windows/Palette.h"

#include <QPainter>
#include <QVBoxLayout>

namespace quorvel {

CardBox::CardBox(int cornerRadius, Fill fill, QWidget* parent)
    : QFrame(parent), cornerRadius_(cornerRadius), fill_(fill) {
    setFrameShape(QFrame::NoFrame);
}

CardBox* CardBox::containing(QWidget* content, const QMargins& insets, int cornerRadius, Fill fill) {
    auto* layout = new QVBoxLayout;
    layout->setSpacing(0);
    layout->addWidget(content);
    return containing(layout, insets, cornerRadius, fill);
}

CardBox* CardBox::containing(QLayout* content, const QMargins& insets, int cornerRadius, Fill fill) {
    auto* box = new CardBox(cornerRadius, fill);
    content->setContentsMargins(insets);
    box->setLayout(content);
    return box;
}

void CardBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Palette::separator(), 1));
    if (fill_ == Fill::controlBackground)
        painter.setBrush(Palette::controlBackground());
    const QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.drawRoundedRect(bounds, cornerRadius_, cornerRadius_);
}

} // namespace quorvel
