#pragma once

#include "Model/LightState.h"

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>

namespace quorvel {

class ResourceBundle;

// The images of the task menu, drawn from the resource bundle's artwork. Loaded artwork is kept, so each
// file is read once.
class MenuIcons {
public:
    static constexpr QSize rowImageSize{42, 18};
    static constexpr int stateIconSize = 18;
    static constexpr int providerIconSize = 16;
    // Where a row image holds its state icon.
    static constexpr QRect stateIconRect{24, 0, stateIconSize, stateIconSize};
    // The provider mark after an Orca row's detail text.
    static constexpr int trailingMarkSize = 11;

    explicit MenuIcons(const ResourceBundle& bundle) : bundle_(bundle) {}

    // The Lucide icon of the state, tinted in the state's colour; empty when the file is missing.
    QImage stateIcon(LightState state, double amberPulsePhase, qreal devicePixelRatio) const;
    static QColor stateColour(LightState state, double amberPulsePhase);
    // The Codex mark, or a rounded square with "A" (Claude Code) or "L" (local).
    QImage providerIcon(TaskProvider provider, bool subdued, qreal devicePixelRatio) const;
    // The provider mark at (0, 1, 16, 16) and the state icon at stateIconRect, 42 x 18 points.
    static QImage rowImage(const std::optional<QImage>& providerMark, const QImage& stateIcon,
                           qreal devicePixelRatio);
    // The device pixel ratio the images are drawn at: the screen's.
    static qreal screenRatio();
    // The "arrow down in a circle" of the update item, in the label colour.
    QImage updateIcon(qreal devicePixelRatio) const;

    // A loaded picture of the bundle at `pixels` (SVGs rendered at that size); none when missing or
    // unreadable.
    std::optional<QImage> artwork(const QString& name, const QString& extension, const QString& subdirectory,
                                  QSize pixels) const;

private:
    QImage letterMark(TaskProvider provider, bool subdued, qreal devicePixelRatio) const;

    const ResourceBundle& bundle_;
    mutable QHash<QString, std::optional<QImage>> artwork_;
};

} // namespace quorvel
