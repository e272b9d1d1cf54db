#pragma once

#include <QFrame>

namespace quorvel {

// The frame of a box to type in: the field's fill, an edge that reads on light and dark themes alike,
// and the accent colour while the box has the keyboard. Styles draw that edge from the window colour,
// which on dark themes leaves it nearly the colour of the fill.
class TextBoxFrame : public QFrame {
    Q_OBJECT

public:
    // Takes `box` (a frameless text view) inside, 1 point from the edge.
    explicit TextBoxFrame(QWidget* box, QWidget* parent = nullptr);

    QColor edgeColour() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* box_;
};

} // namespace quorvel
