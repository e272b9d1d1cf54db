#include "App/SoftwareUpdater.h"

#include "Platform/AlertPresenter.h"
#include "Platform/Workspace.h"

namespace quorvel {

SoftwareUpdater::SoftwareUpdater(QString feedURL, QString currentVersion, Workspace& workspace,
                                 AlertPresenter& alerts, Delegate delegate, QObject* parent)
    : QObject(parent), feedURL_(std::move(feedURL)), currentVersion_(std::move(currentVersion)),
      workspace_(workspace), alerts_(alerts), delegate_(std::move(delegate)) {}

void SoftwareUpdater::startUpdater() {}

void SoftwareUpdater::checkForUpdates() {
    if (!isConfigured())
        alerts_.show(QStringLiteral("Quorvel does not check for updates"),
                     QStringLiteral("This build of Quorvel does not check for updates."),
                     AlertStyle::informational);
}

void SoftwareUpdater::openAvailableUpdate() {}

} // namespace quorvel
