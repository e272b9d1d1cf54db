#pragma once

#include <QFrame>

namespace quorvel {

// The windows' card: the control background as fill, a 1-point border in the separator colour and
// rounded corners. The caller gives it a layout with the insets it needs.
class CardBox : public QFrame {
    Q_OBJECT

public:
    // A clear box keeps only the border (the logo frame).
    enum class Fill { controlBackground, clear };

    explicit CardBox(int cornerRadius = 10, Fill fill = Fill::controlBackground, QWidget* parent = nullptr);

    // A card around `content`, inset by the margins.
    static CardBox* containing(QWidget* content, const QMargins& insets, int cornerRadius = 10,
                               Fill fill = Fill::controlBackground);
    // A card around a layout, inset by the margins.
    static CardBox* containing(QLayout* content, const QMargins& insets, int cornerRadius = 10,
                               Fill fill = Fill::controlBackground);

    int cornerRadius() const { return cornerRadius_; }
    Fill fill() const { return fill_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int cornerRadius_;
    Fill fill_;
};

} // namespace quorvel
