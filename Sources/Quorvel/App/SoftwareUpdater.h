#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace quorvel {

class AlertPresenter;
class Workspace;

// Checks the update feed configured at build time for a newer version: once soon after start-up, then
// daily, and when the user asks. With no feed configured it never goes on the network.
class SoftwareUpdater : public QObject {
    Q_OBJECT

public:
    // The application delegate's two calls.
    struct Delegate {
        std::function<void(const QString& displayVersion)> didFindValidUpdate;
        std::function<void()> didNotFindUpdate;
    };

    SoftwareUpdater(QString feedURL, QString currentVersion, Workspace& workspace, AlertPresenter& alerts,
                    Delegate delegate, QObject* parent = nullptr);

    bool isConfigured() const { return !feedURL_.isEmpty(); }

    // Schedules the automatic checks.
    void startUpdater();
    // A check the user asked for ("Check for Updates…"); tells the user what it found.
    void checkForUpdates();
    // Opens the download page of the newer version found, if any.
    void openAvailableUpdate();

private:
    QString feedURL_;
    QString currentVersion_;
    Workspace& workspace_;
    AlertPresenter& alerts_;
    Delegate delegate_;
};

} // namespace quorvel
