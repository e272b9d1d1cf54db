#pragma once

#include <QImage>
#include <QString>
#include <optional>

// Turns a logo picture into a menu mark: its luminance becomes alpha, the mark is trimmed to what it
// draws and scaled into a square.
namespace quorvel::MenuLogo {

// A white mask of `size` x `size` points with the trimmed mark centred and its longer side filling the
// square; none when the file does not load or draws nothing.
std::optional<QImage> mask(const QString& file, int size, qreal devicePixelRatio = 1);

// Luminance as alpha: white at the alpha of each pixel's luminance (premultiplied colours).
QImage maskToAlpha(const QImage& image);

} // namespace quorvel::MenuLogo
