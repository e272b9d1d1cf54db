#pragma once

#include "Model/TrayLampCounts.h"
#include "Platform/SystemColours.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>
#include <array>

namespace quorvel {

// The four lamps (red, amber, blue, green) with their counts, at the pulse phases of the moment.
struct LampIcon {
    static constexpr std::array<int, 6> traySizes{16, 22, 24, 32, 48, 64};
    static constexpr double horizontalWidth = 81;
    static constexpr double horizontalHeight = 21;

    TrayLampCounts counts;
    double redPulsePhase = 0;
    double amberPulsePhase = 0;
    double bluePulsePhase = 0;
    Appearance appearance = Appearance::light;

    // Equal lamps draw the same picture.
    bool operator==(const LampIcon&) const = default;

    // Fill alpha of a lit lamp: red pulses down to 0.05, amber and blue to 0.15.
    static double redAlpha(double phase);
    static double pulseAlpha(double phase);
    // "1" to "9", "∞" from 10; nothing for 0.
    static QString countText(int count);
    static QColor amberColour();

    // The lamps in a row inside a rounded outline, 81 x 21 points.
    QImage horizontal(qreal devicePixelRatio = 1) const;
    // The lamps 2 x 2 in a square of `pixels` (tray slots are square).
    QImage square(int pixels) const;
    // The square rendering at every size of traySizes.
    QIcon trayIcon() const;

private:
    struct Lamp {
        int count;
        QColor fill; // alpha already applied
    };
    std::array<Lamp, 4> lamps() const;
};

} // namespace quorvel
