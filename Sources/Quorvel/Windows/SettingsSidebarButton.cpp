#include "Windows/SettingsSidebarButton.h"

#include "Windows/Palette.h"
#include "Windows/SymbolIcon.h"
#include "Windows/Typography.h"

#include <QPainter>

namespace quorvel {

namespace {
constexpr int symbolSize = 16;
constexpr int symbolLeft = 14;
constexpr int titleLeft = 38;
constexpr int fontSize = 13;
} // namespace

SettingsSidebarButton::SettingsSidebarButton(const QString& title, const QString& symbol, int tag,
                                             const ResourceBundle& resourceBundle, QWidget* parent)
    : QAbstractButton(parent), symbol_(symbol), tag_(tag), resourceBundle_(resourceBundle) {
    setText(title);
    setAccessibleName(title);
    setCheckable(true);
    setFont(Typography::system(fontSize));
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
}

void SettingsSidebarButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool selected = isChecked();
    const QColor content = selected ? Palette::onAccent() : Palette::label();
    if (selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette::accent());
        painter.drawRoundedRect(QRectF(rect()).adjusted(2, 0, -2, 0), 7, 7);
    }

    const QImage symbol =
        SymbolIcon::render(resourceBundle_, symbol_, content, symbolSize, devicePixelRatioF());
    if (!symbol.isNull())
        painter.drawImage(QPointF(symbolLeft, (height() - symbolSize) / 2.0), symbol);

    painter.setPen(content);
    painter.setFont(Typography::system(fontSize, selected ? QFont::DemiBold : QFont::Normal));
    const QRect titleArea(titleLeft, 0, width() - titleLeft - 4, height());
    painter.drawText(titleArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
}

} // namespace quorvel
