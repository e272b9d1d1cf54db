#pragma once

#include "Windows/TextColour.h"

#include <QFont>
#include <QLabel>

namespace quorvel {

// A label of the windows: plain text only (never rich text), in one of the named colours, which it
// follows when the desktop's palette changes.
class TextLabel : public QLabel {
    Q_OBJECT

public:
    enum class Wrapping { oneLine, wrapping };

    TextLabel(const QString& text, const QFont& font, TextColour colour = TextColour::label,
              Wrapping wrapping = Wrapping::wrapping, QWidget* parent = nullptr);

    // A wrapping label in the system font.
    static TextLabel* wrapping(const QString& text, int points, QFont::Weight weight = QFont::Normal,
                               TextColour colour = TextColour::label);
    // A one-line label in the system font.
    static TextLabel* oneLine(const QString& text, int points, QFont::Weight weight = QFont::Normal,
                              TextColour colour = TextColour::label);

    TextColour textColour() const { return colour_; }
    void setTextColour(TextColour colour);
    // Caps the label at that many lines of its font; longer text is cut off at the last whole line.
    void setMaximumLines(int lines);
    // Fixes the width and takes the height the text needs at it (up to the maximum lines). Call again
    // after changing the text.
    void fitToWidth(int width);

private:
    void applyColour();

    TextColour colour_;
    int maximumLines_ = 0;
};

} // namespace quorvel
