#pragma once

#include "Platform/SystemColours.h"

#include <QWidget>

namespace quorvel {

// A filled circle in one of the system colours, for the status-colour legend.
class StatusDotView : public QWidget {
    Q_OBJECT

public:
    // The system colour, resolved for the appearance at every drawing (SystemColours::red and the like).
    using Colour = QColor (*)(Appearance);

    explicit StatusDotView(Colour colour, QWidget* parent = nullptr);

    QColor colour() const { return colour_(SystemColours::currentAppearance()); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Colour colour_;
};

} // namespace quorvel
