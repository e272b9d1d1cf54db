#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRgba64>
#include <QSize>

namespace quorvel::testing {

// A picture whose quarters are red (top left), green (top right), blue (bottom left) and white, so
// that any turn or mirror shows.
QImage quarteredImage(QSize size);
// Whether `image` has those quarters (colours compared with room for lossy coding).
bool isUpright(const QImage& image);
// Grey noise of the given strength (0 to 255) over mid grey: the larger, the worse it compresses.
QImage noiseImage(QSize size, int strength, unsigned seed = 1);
// `upright` as it is stored in a file whose EXIF-numbered orientation turns it upright for display.
QImage storedForOrientation(const QImage& upright, int orientation);

QByteArray encoded(const QImage& image, const char* format, int quality = -1);

// The PNG grown to exactly `totalBytes` by an ancillary text chunk before its end.
QByteArray paddedPng(const QByteArray& png, qsizetype totalBytes);
// A PNG whose header claims the size but whose image data is empty: enough to read its properties.
QByteArray pngHeaderOnly(int width, int height);
// A square PNG of one colour at 16 bits per channel, deflated a row at a time: a large picture in a small
// file, made without ever holding the picture.
QByteArray deepFlatPng(int side, QRgba64 colour);
// The smallest GIF: one transparent pixel.
QByteArray gifBytes();

// The JPEG with an EXIF orientation segment after its start marker.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);
// The JPEG grown past `minimumBytes` with comment segments.
QByteArray paddedJpeg(const QByteArray& jpeg, qsizetype minimumBytes);

// A progressive JPEG through libjpeg, with every colour sample kept (no chroma subsampling) when
// `fullChroma`.
QByteArray progressiveJpeg(const QImage& image, bool fullChroma, int quality = 80);

// The first entry of a JPEG's first quantisation table: 6, 10, 15 and 20 for the qualities 82, 68, 54 and 40
// of the standard tables; -1 when there is none.
int jpegLuminanceQuantizer(const QByteArray& jpeg);

// HEIC through libheif's encoder, with the orientation written as the file's rotation and mirror; with
// an alpha image when `stored` has an alpha channel.
QByteArray heicBytes(const QImage& stored, int orientation, int quality = 80);
// The HEIC grown to exactly `totalBytes` by a 'free' box at its end.
QByteArray paddedHeic(const QByteArray& heic, qsizetype totalBytes);

} // namespace quorvel::testing
