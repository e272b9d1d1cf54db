#pragma once

#include "Windows/TextColour.h"

#include <QPushButton>

namespace quorvel {

// A borderless button whose title is drawn in the link colour (the legal and website links).
class LinkButton : public QPushButton {
    Q_OBJECT

public:
    LinkButton(const QString& title, int points, QFont::Weight weight, QWidget* parent = nullptr);

private:
    void applyColour();
};

} // namespace quorvel
