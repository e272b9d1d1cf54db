#include "App/AppDelegate.h"
#include "App/AppPlatform.h"
#include "Platform/SingleInstanceGuard.h"
#include "Platform/TerminationSignals.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

int main(int argc, char** argv) {
    // Checked before anything else starts, so a second copy leaves the first's files and tray alone.
    const quorvel::SingleInstanceGuard guard(quorvel::SingleInstanceGuard::lockFile());
    if (guard.outcome() == quorvel::SingleInstanceGuard::Outcome::anotherCopyRuns) {
        std::fputs("Quorvel is already running.\n", stderr);
        return 0;
    }
    if (guard.outcome() == quorvel::SingleInstanceGuard::Outcome::unguarded)
        std::fprintf(stderr, "Quorvel: %s; another running copy cannot be noticed.\n",
                     guard.problem().c_str());

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
    delegate.applicationDidFinishLaunching();
    application.exec();
    return 0;
}
