#include "App/AppDelegate.h"
#include "App/TaskStatusMetaType.h"
#include "Orca/OrcaNavigationError.h"
#include "Orca/TaskOpenDestination.h"
#include "Platform/AlertPresenter.h"
#include "Platform/Clock.h"
#include "Platform/OrcaOpenRunner.h"
#include "Platform/Workspace.h"

#include <QPointer>

namespace quorvel {

namespace {

const QString orcaNotFoundTitle = QStringLiteral("Could not open Orca");
const QString orcaNotFoundMessage =
    QStringLiteral("Orca is not installed or could not be located. This task remains unread.");
const QString orcaFailureTitle = QStringLiteral("Could not open the Orca conversation");
const QString orcaGenericFailure = QStringLiteral("The original Orca tab could not be opened.");
const QString orcaFailureEnding =
    QStringLiteral(" This task remains unread. Select the conversation in Orca.");
const std::string orcaReadStateNotSaved = "Opened Orca, but could not save this task\u2019s read status.";

} // namespace

void AppDelegate::openTask(const QVariant& representedObject) {
    if (representedObject.metaType() != QMetaType::fromType<TaskStatus>())
        return;
    const auto task = representedObject.value<TaskStatus>();
    const auto destination = openDestination(task);
    if (!destination) {
        markTaskRead(task);
        return;
    }
    if (destination->kind == TaskOpenDestination::Kind::orca) {
        openOrcaTask(task);
        return;
    }
    QPointer<AppDelegate> self(this);
    platform_.workspace->openLink(QString::fromStdString(destination->payload),
                                  [self, task](Workspace::LinkOutcome outcome) {
                                      if (!self)
                                          return;
                                      // A link its handler could not open marks nothing read.
                                      if (outcome == Workspace::LinkOutcome::opened)
                                          self->markOpenedTaskRead(task);
                                      else if (outcome == Workspace::LinkOutcome::noHandler)
                                          self->markTaskRead(task);
                                  });
}

bool AppDelegate::marksReadWhenChosen(const TaskStatus& task, LightState visibleState) {
    if (visibleState != LightState::unread || !readState.ownMarks(task))
        return false;
    const auto destination = openDestination(task);
    return !destination ||
           (destination->kind == TaskOpenDestination::Kind::desktop &&
            platform_.workspace->hasHandler(QString::fromStdString(destination->payload)) == false);
}

// An opened link marks Claude Code and scheduled Codex tasks read; the Codex desktop app keeps the flags
// of the others, which change at the next refresh.
void AppDelegate::markOpenedTaskRead(const TaskStatus& task) {
    const auto marks = readState.ownMarks(task);
    if (marks == TaskReadState::OwnMarks::claude || marks == TaskReadState::OwnMarks::codexAutomations)
        markTaskRead(task);
}

// A mark that cannot be saved still counts until the next refresh reads the file again.
void AppDelegate::markTaskRead(const TaskStatus& task) {
    const Date now = platform_.clock->now();
    if (task.visibleState(now, readState) != LightState::unread)
        return;
    const auto marked = readState.markRead(task, now);
    if (!marked)
        return;
    try {
        readState.save(*marked, platform_.home, now);
    } catch (const std::exception&) {
    }
    redraw();
}

void AppDelegate::openOrcaTask(const TaskStatus& task) {
    if (openingOrcaTask)
        return;
    const auto installation = platform_.locateOrca ? platform_.locateOrca() : std::nullopt;
    if (!installation) {
        showClaudeResult(orcaNotFoundTitle, orcaNotFoundMessage);
        return;
    }
    openingOrcaTask = true;
    QPointer<AppDelegate> self(this);
    platform_.orcaOpenRunner->open(
        task.id, installation->tool, [self, task, installation](std::exception_ptr error) {
            if (!self)
                return;
            // Orca comes to the front whatever its tool answered.
            self->platform_.workspace->openApplication(*installation, [self, task, error](bool opened) {
                if (self)
                    self->finishOrcaOpen(task, error, opened);
            });
        });
}

void AppDelegate::finishOrcaOpen(const TaskStatus& task, std::exception_ptr navigationError, bool appOpened) {
    if (!appOpened) {
        showOrcaFailure(nullptr);
        return;
    }
    if (navigationError) {
        showOrcaFailure(navigationError);
        return;
    }
    readState.orca.markRead(task);
    try {
        readState.orca.save(OrcaReadState::defaultURL(platform_.home), platform_.clock->now());
    } catch (const std::exception&) {
        diagnostic = orcaReadStateNotSaved;
    }
    redraw();
    openingOrcaTask = false;
}

// The Orca road stays taken while its alert is open.
void AppDelegate::showOrcaFailure(std::exception_ptr error) {
    QString message = orcaGenericFailure;
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const OrcaNavigationError& navigation) {
        message = QString::fromUtf8(navigation.what());
    } catch (...) {
    }
    QPointer<AppDelegate> self(this);
    showClaudeResult(orcaFailureTitle, message + orcaFailureEnding, [self] {
        if (self)
            self->openingOrcaTask = false;
    });
}

void AppDelegate::showClaudeResult(const QString& title, const QString& message,
                                   std::function<void()> dismissed) {
    const bool failure = title.contains(QLatin1String("Could not"));
    platform_.alerts->show(title, message, failure ? AlertStyle::warning : AlertStyle::informational,
                           std::move(dismissed));
}

} // namespace quorvel
