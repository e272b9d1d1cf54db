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

QString commandBinding() {
    return QStringLiteral("To open Quorvel with a key, bind one to the command \u201cquorvel\u201d in your "
                          "desktop\u2019s keyboard settings.");
}

} // namespace quorvel::ShortcutKeys
