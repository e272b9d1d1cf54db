#include "Platform/XdgWorkspace.h"

#include <QTimer>

namespace quorvel {

void XdgWorkspace::openURL(const QString&, Completion done) {
    QTimer::singleShot(0, [done = std::move(done)] { done(false); });
}

void XdgWorkspace::openApplication(const OrcaInstallation&, Completion done) {
    QTimer::singleShot(0, [done = std::move(done)] { done(false); });
}

} // namespace quorvel
