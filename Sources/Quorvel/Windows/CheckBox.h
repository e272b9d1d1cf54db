#pragma once

#include <QCheckBox>
#include <QFont>

namespace quorvel {

// A check box of the windows, in the system font. On a dark desktop the style draws the box's outline
// barely darker than the window, which vanishes on a card's fill: the box then gets an outline of its
// own in the tertiary label colour.
class CheckBox : public QCheckBox {
    Q_OBJECT

public:
    CheckBox(const QString& title, int points, QFont::Weight weight, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quorvel
