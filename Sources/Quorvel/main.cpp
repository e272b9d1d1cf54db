#include "App/AppDelegate.h"
#include "App/AppPlatform.h"
#include "Platform/TerminationSignals.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
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
