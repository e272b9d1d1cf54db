#pragma once

#include <QString>

namespace quorvel {

// Text from files, other programs or servers, set apart (U+2068 … U+2069) where it stands inside a
// sentence of ours, so that its writing direction, and any direction control it holds, cannot turn the
// words around it.
inline QString isolated(const QString& text) {
    return QChar(0x2068) + text + QChar(0x2069);
}

} // namespace quorvel
