#pragma once

#include <QColor>
#include <QImage>
#include <QString>

namespace quorvel {

class ResourceBundle;

// The outline symbols of the windows (Lucide SVGs, drawn with "currentColor"), rendered in one colour.
namespace SymbolIcon {

// The symbol "name.svg" of the bundle's "Lucide" folder at `points` square and the device pixel ratio,
// stroked in `colour`; a null image when the symbol is missing or not valid SVG.
QImage render(const ResourceBundle& bundle, const QString& name, const QColor& colour, int points,
              qreal devicePixelRatio);

} // namespace SymbolIcon
} // namespace quorvel
