#include "Windows/CheckBox.h"

#include "Platform/SystemColours.h"
#include "Windows/Palette.h"
#include "Windows/Typography.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace quorvel {

CheckBox::CheckBox(const QString& title, int points, QFont::Weight weight, QWidget* parent)
    : QCheckBox(title, parent) {
    setFont(Typography::system(points, weight));
}

void CheckBox::paintEvent(QPaintEvent* event) {
    QCheckBox::paintEvent(event);
    if (SystemColours::currentAppearance() != Appearance::dark)
        return;
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect box = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    QPainter painter(this);
    painter.setPen(Palette::tertiaryLabel());
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
}

} // namespace quorvel
