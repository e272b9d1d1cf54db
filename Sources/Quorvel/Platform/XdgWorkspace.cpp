#include "Platform/XdgWorkspace.h"

#include "Orca/OrcaInstallation.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <memory>

namespace quorvel {

namespace {

constexpr qsizetype queryOutputLimit = 64 * 1024;

// What to make of a program that has not finished in its time.
enum class WhenSlow { fail, countAsSuccess };

struct ProgramRun {
    QString program;
    QStringList arguments;
    std::chrono::milliseconds timeLimit;
    WhenSlow whenSlow;
    bool captureOutput = false;
};

using RunCompletion = std::function<void(bool succeeded, const QByteArray& output)>;

void reportLater(Workspace::Completion done, bool succeeded) {
    QTimer::singleShot(0, [done = std::move(done), succeeded] { done(succeeded); });
}

// Starts the program found on PATH now; reports once, on the main thread: success when it exits with
// status 0. The process object lives until the program ends, also after a slow run was reported.
void run(const ProgramRun& request, RunCompletion done) {
    const QString path = QStandardPaths::findExecutable(request.program);
    if (path.isEmpty()) {
        QTimer::singleShot(0, [done = std::move(done)] { done(false, {}); });
        return;
    }
    auto* process = new QProcess;
    auto pending = std::make_shared<RunCompletion>(std::move(done));
    auto output = std::make_shared<QByteArray>();
    const auto report = [pending, output](bool succeeded) {
        if (!*pending)
            return;
        const auto completion = std::move(*pending);
        *pending = nullptr;
        completion(succeeded, *output);
    };
    process->setStandardInputFile(QProcess::nullDevice());
    if (!request.captureOutput)
        process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::readyReadStandardOutput, process, [process, output, report] {
        *output += process->readAllStandardOutput();
        if (output->size() > queryOutputLimit) {
            report(false);
            process->kill();
        }
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, report](int code, QProcess::ExitStatus status) {
                         report(status == QProcess::NormalExit && code == 0);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, report](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         report(false);
                         process->deleteLater();
                     });
    QTimer::singleShot(request.timeLimit, process, [process, report, whenSlow = request.whenSlow] {
        if (process->state() == QProcess::NotRunning)
            return;
        report(whenSlow == WhenSlow::countAsSuccess);
        if (whenSlow == WhenSlow::fail)
            process->kill();
    });
    process->start(path, request.arguments);
}

bool isAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool namesDesktopEntry(const QByteArray& output) {
    const QByteArray name = output.trimmed();
    return name.endsWith(".desktop") && name.size() > 8 && !name.contains('\n') && !name.contains('/');
}

QString nativePath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

} // namespace

XdgWorkspace::XdgWorkspace(std::chrono::milliseconds launchGrace, std::chrono::milliseconds queryTimeLimit,
                           std::chrono::milliseconds handlerAnswerLifetime)
    : launchGrace_(launchGrace), queryTimeLimit_(queryTimeLimit),
      handlerAnswerLifetime_(handlerAnswerLifetime) {}

std::optional<QString> XdgWorkspace::schemeOf(const QString& url) {
    const qsizetype colon = url.indexOf(u':');
    if (colon < 1 || !isAsciiLetter(url.front()))
        return std::nullopt;
    for (qsizetype i = 1; i < colon; ++i) {
        const QChar c = url[i];
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.')
            return std::nullopt;
    }
    return url.left(colon).toLower();
}

void XdgWorkspace::openLink(const QString& url, LinkCompletion done) {
    const auto scheme = schemeOf(url);
    if (!scheme) {
        QTimer::singleShot(0, [done = std::move(done)] { done(LinkOutcome::noHandler); });
        return;
    }
    const ProgramRun open{QStringLiteral("xdg-open"), {url}, launchGrace_, WhenSlow::countAsSuccess};
    askForHandler(*scheme, [open, done = std::move(done)](bool registered) mutable {
        if (!registered) {
            done(LinkOutcome::noHandler);
            return;
        }
        run(open, [done = std::move(done)](bool opened, const QByteArray&) {
            done(opened ? LinkOutcome::opened : LinkOutcome::failed);
        });
    });
}

std::optional<bool> XdgWorkspace::hasHandler(const QString& url) {
    const auto scheme = schemeOf(url);
    if (!scheme)
        return false;
    HandlerAnswer& answer = (*handlers_)[*scheme];
    const bool old =
        !answer.registered || std::chrono::steady_clock::now() - answer.askedAt >= handlerAnswerLifetime_;
    if (old && !answer.asking) {
        answer.asking = true;
        askForHandler(*scheme, [handlers = std::weak_ptr(handlers_), scheme = *scheme](bool) {
            if (auto answers = handlers.lock())
                (*answers)[scheme].asking = false;
        });
    }
    return answer.registered;
}

void XdgWorkspace::askForHandler(const QString& scheme, std::function<void(bool registered)> then) {
    const ProgramRun query{
        QStringLiteral("xdg-mime"),
        {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme},
        queryTimeLimit_,
        WhenSlow::fail,
        true};
    run(query, [this, alive = std::weak_ptr(handlers_), scheme,
                then = std::move(then)](bool succeeded, const QByteArray& output) {
        const bool registered = succeeded && namesDesktopEntry(output);
        if (!alive.expired())
            recordHandler(scheme, registered);
        then(registered);
    });
}

void XdgWorkspace::recordHandler(const QString& scheme, bool registered) {
    HandlerAnswer& answer = (*handlers_)[scheme];
    const bool changed = answer.registered != registered;
    answer.registered = registered;
    answer.askedAt = std::chrono::steady_clock::now();
    if (changed)
        handlersChanged();
}

void XdgWorkspace::openApplication(const OrcaInstallation& application, Completion done) {
    const bool launchEntry =
        application.desktopEntry && !QStandardPaths::findExecutable(QStringLiteral("gio")).isEmpty();
    if (!launchEntry) {
        reportLater(std::move(done), QProcess::startDetached(nativePath(application.program), {}));
        return;
    }
    const ProgramRun launch{QStringLiteral("gio"),
                            {QStringLiteral("launch"), nativePath(*application.desktopEntry)},
                            launchGrace_,
                            WhenSlow::countAsSuccess};
    run(launch, [done = std::move(done)](bool started, const QByteArray&) { done(started); });
}

} // namespace quorvel
