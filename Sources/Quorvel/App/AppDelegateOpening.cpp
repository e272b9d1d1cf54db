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

template <typename Save> void savingIgnoringFailure(Save save) {
    try {
        save();
    } catch (const std::exception&) {
    }
}

} // namespace

void AppDelegate::openTask(const QVariant& representedObject) {
    if (representedObject.metaType() != QMetaType::fromType<TaskStatus>())
        return;
    const auto task = representedObject.value<TaskStatus>();
    const auto destination = openDestination(task);
    if (!destination)
        return;
    if (destination->kind == TaskOpenDestination::Kind::orca) {
        openOrcaTask(task);
        return;
    }
    QPointer<AppDelegate> self(this);
    platform_.workspace->openURL(QString::fromStdString(destination->payload), [self, task](bool opened) {
        // A link nobody could open marks nothing read.
        if (self && opened)
            self->markOpenedTaskRead(task);
    });
}

// Claude Code and scheduled Codex tasks keep their read marks here; the others belong to the
// assistant's own files and change at the next refresh. A mark that cannot be saved still counts until
// the next refresh reads the file again.
void AppDelegate::markOpenedTaskRead(const TaskStatus& task) {
    const Date now = platform_.clock->now();
    if (task.visibleState(now, readState) != LightState::unread)
        return;
    if (task.provider() == TaskProvider::claude) {
        readState.claude.markRead(task, now);
        savingIgnoringFailure([&] { readState.claude.save(ClaudeReadState::defaultURL(platform_.home)); });
    } else if (task.provider() == TaskProvider::codex && task.isScheduled.value_or(false)) {
        readState.codexAutomations.markRead(task, now);
        savingIgnoringFailure(
            [&] { readState.codexAutomations.save(CodexAutomationReadState::defaultURL(platform_.home)); });
    } else {
        return;
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
        readState.orca.save(OrcaReadState::defaultURL(platform_.home));
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
