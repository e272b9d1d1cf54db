#include "App/AppDelegate.h"
#include "App/AppPlatform.h"
#include "Platform/ShowRequestChannel.h"
#include "Platform/SingleInstanceGuard.h"
#include "Platform/TerminationSignals.h"
#include "Support/FileIO.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

int main(int argc, char** argv) {
    // Checked before anything else starts, so a second copy leaves the first's files and tray alone.
    const auto lockFile = quorvel::SingleInstanceGuard::lockFile(quorvel::FileIO::homeDirectory());
    const auto socket = quorvel::ShowRequestChannel::socketFile(lockFile);
    const quorvel::SingleInstanceGuard guard(lockFile);
    if (guard.outcome() == quorvel::SingleInstanceGuard::Outcome::anotherCopyRuns) {
        if (!quorvel::ShowRequestChannel::ask(socket))
            std::fputs("Quorvel is already running.\n", stderr);
        return 0;
    }
    if (guard.outcome() == quorvel::SingleInstanceGuard::Outcome::failed) {
        std::fprintf(stderr, "Quorvel cannot make sure that only one copy runs: %s\n",
                     guard.problem().c_str());
        return 1;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setOrganizationName(QStringLiteral("Quorvel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/Quorvel_Quorvel.bundle/quorvel.svg")));

    quorvel::TerminationSignals terminationSignals;
    quorvel::AppDelegate delegate(quorvel::AppPlatform::forThisDesktop());
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.applicationWillTerminate(); });
    quorvel::ShowRequestChannel showRequests;
    if (const auto problem = showRequests.listen(socket, [&delegate] { delegate.showFromSecondStart(); });
        !problem.empty())
        std::fprintf(stderr, "Quorvel: %s; a second start cannot show this copy's menu.\n", problem.c_str());
    delegate.applicationDidFinishLaunching();
    application.exec();
    return 0;
}
