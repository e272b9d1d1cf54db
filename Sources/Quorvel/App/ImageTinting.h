#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>

namespace quorvel {

// The image drawn at `size` points (at the device pixel ratio) with `colour` filled over it source-atop:
// every drawn pixel takes the colour and keeps its alpha, transparent pixels stay transparent.
QImage tinted(const QImage& image, const QColor& colour, QSizeF size, qreal devicePixelRatio = 1);

// A transparent image of `size` points at the device pixel ratio.
QImage blankImage(QSizeF size, qreal devicePixelRatio = 1);

} // namespace quorvel
