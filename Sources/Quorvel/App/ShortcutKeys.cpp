#include "App/ShortcutKeys.h"

namespace quorvel::ShortcutKeys {

QStringList keys() {
    return {QStringLiteral("Alt"), QStringLiteral("Super"), QStringLiteral("L")};
}

QString combination() {
    return keys().join(u'+');
}

QString spoken() {
    return keys().join(u' ');
}

} // namespace quorvel::ShortcutKeys
