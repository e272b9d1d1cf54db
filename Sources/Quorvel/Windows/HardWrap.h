#pragma once

#include <QString>

// Plain texts written with line breaks at a fixed width, as licences are, shown in a view that wraps at
// its own width.
namespace quorvel::HardWrap {

// The text with the breaks that only kept its lines short taken out, so that each paragraph wraps
// evenly at any width. Blank lines, list items, copyright lines, centred titles and the lines of short
// blocks (addresses, signatures) keep their own lines.
QString joined(const QString& text);

} // namespace quorvel::HardWrap
