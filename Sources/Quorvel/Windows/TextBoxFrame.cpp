#include "Windows/TextBoxFrame.h"

#include "Windows/FocusRing.h"
#include "Windows/Palette.h"

#include <QEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace quorvel {

TextBoxFrame::TextBoxFrame(QWidget* box, QWidget* parent) : QFrame(parent), box_(box) {
    setFrameShape(QFrame::NoFrame);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(box);
    box->installEventFilter(this);
    box->setProperty(FocusRing::aroundParentProperty, true);
}

QColor TextBoxFrame::edgeColour() const {
    return box_->hasFocus() ? Palette::accent() : Palette::controlBorder();
}

void TextBoxFrame::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Palette::controlBackground());
    painter.setPen(QPen(edgeColour(), 1));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

bool TextBoxFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        update();
    return QFrame::eventFilter(watched, event);
}

} // namespace quorvel
