#include "Windows/TextLabel.h"

#include "Windows/PaletteBinding.h"
#include "Windows/Typography.h"

#include <QFontMetrics>

namespace quorvel {

TextLabel::TextLabel(const QString& text, const QFont& font, TextColour colour, Wrapping wrapping,
                     QWidget* parent)
    : QLabel(parent), colour_(colour) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setFont(font);
    setWordWrap(wrapping == Wrapping::wrapping);
    setTextInteractionFlags(Qt::NoTextInteraction);
    PaletteBinding::bind(this, [this] { applyColour(); });
}

TextLabel* TextLabel::wrapping(const QString& text, int points, QFont::Weight weight, TextColour colour) {
    return new TextLabel(text, Typography::system(points, weight), colour, Wrapping::wrapping);
}

TextLabel* TextLabel::oneLine(const QString& text, int points, QFont::Weight weight, TextColour colour) {
    return new TextLabel(text, Typography::system(points, weight), colour, Wrapping::oneLine);
}

void TextLabel::setTextColour(TextColour colour) {
    colour_ = colour;
    applyColour();
}

void TextLabel::setMaximumLines(int lines) {
    maximumLines_ = lines;
    setMaximumHeight(QFontMetrics(font()).lineSpacing() * lines + 1);
}

void TextLabel::fitToWidth(int width) {
    setMinimumHeight(0);
    setMaximumHeight(QWIDGETSIZE_MAX);
    setFixedWidth(width);
    int height = text().isEmpty() ? 0 : heightForWidth(width);
    if (maximumLines_ > 0)
        height = qMin(height, QFontMetrics(font()).lineSpacing() * maximumLines_ + 1);
    setFixedHeight(height);
}

void TextLabel::applyColour() {
    const QColor colour = resolve(colour_);
    if (palette().color(QPalette::WindowText) == colour && testAttribute(Qt::WA_SetPalette))
        return;
    QPalette own = palette();
    own.setColor(QPalette::WindowText, colour);
    own.setColor(QPalette::Text, colour);
    setPalette(own);
}

} // namespace quorvel
