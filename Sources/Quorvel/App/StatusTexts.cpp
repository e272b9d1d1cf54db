#include "App/StatusTexts.h"

#include "App/IsolatedText.h"
#include "App/ShortcutKeys.h"
#include "Model/TaskStatus.h"
#include "Support/Unicode.h"

#include <QStringList>
#include <QTextDocument>

namespace quorvel::StatusTexts {

namespace {

// Task names and project names are cut to this many characters in the menu.
constexpr std::size_t menuTextCharacters = 90;

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString singleLine(const QString& text) {
    QString shown = text;
    for (QChar& character : shown)
        if (character == u'\t' || character == u'\n' || character == u'\r' ||
            character == QChar::LineSeparator || character == QChar::ParagraphSeparator)
            character = u' ';
    return shown;
}

// The dbusmenu label is `text` with "_" doubled. Qt makes its first "&" a "_", so that "&" goes where
// the label needs a "_" anyway: on the first doubled underscore when one comes before any "&",
// otherwise as "&&" (exported "_&", which shows "&").
QString dbusMenuText(QString text) {
    text.replace(u'_', QStringLiteral("__"));
    const qsizetype ampersand = text.indexOf(u'&');
    if (ampersand < 0)
        return text;
    const qsizetype underscore = text.indexOf(u'_');
    if (underscore >= 0 && underscore < ampersand)
        text[underscore] = u'&';
    else
        text.insert(ampersand, u'&');
    return text;
}

} // namespace

QString summary(const std::vector<MenuBarStatus>& statuses) {
    QStringList parts;
    for (const auto& status : statuses)
        parts << fromUtf8(LightStates::label(status.state)) + QStringLiteral(", ") +
                     QString::number(status.count) + QStringLiteral(" chats");
    return parts.join(QStringLiteral("; "));
}

QString toolTip(const QString& summary, bool shortcutAvailable) {
    const QString hint =
        shortcutAvailable
            ? QStringLiteral("Press ") + ShortcutKeys::combination() + QStringLiteral(" to open.")
            : QStringLiteral("If the panel is crowded, set the tray to always show this icon. ") +
                  ShortcutKeys::commandBinding();
    return QStringLiteral("Quorvel \u2014 ") + summary + QStringLiteral(". ") + hint;
}

QString accessibilityLabel(const QString& summary) {
    return QStringLiteral("Quorvel, ") + summary;
}

QString menuText(const QString& text, MenuHost host) {
    QString shown = singleLine(text);
    if (host == MenuHost::dbusMenu)
        return dbusMenuText(shown);
    return shown.replace(u'&', QStringLiteral("&&"));
}

QString taskTitle(std::string_view name, MenuHost host) {
    return menuText(QString::fromStdString(Unicode::graphemePrefix(name, menuTextCharacters)), host);
}

QString plainToolTip(const QString& text) {
    // Qt shows a tooltip as rich text when it looks like markup.
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}

QString appName(TaskProvider provider) {
    switch (provider) {
    case TaskProvider::codex:
        return QStringLiteral("Codex");
    case TaskProvider::claude:
        return QStringLiteral("Claude");
    case TaskProvider::local:
        break;
    }
    return QStringLiteral("Quorvel");
}

QString rowToolTip(const TaskStatus& task, LightState visibleState, bool marksReadWhenChosen) {
    if (visibleState != LightState::unread)
        return QString::fromStdString(task.name);
    if (marksReadWhenChosen)
        return QStringLiteral("Choose this task to mark the response read and turn it green");
    const QString app = task.isOrcaTask() ? QStringLiteral("Orca") : appName(task.provider());
    return QStringLiteral("Open the response in ") + app + QStringLiteral(" to turn this green");
}

QString rowDetail(const TaskStatus& task, LightState visibleState) {
    std::optional<std::string> project;
    if (task.projectName) {
        const std::string_view trimmed = Unicode::trimmed(*task.projectName);
        if (!trimmed.empty())
            project = isolated(QString::fromStdString(Unicode::graphemePrefix(trimmed, menuTextCharacters)))
                          .toStdString();
    }
    QString detail = QString::fromStdString(LightStates::menuDetail(visibleState, project));
    if (task.isOrcaTask())
        detail += QStringLiteral(" \u00B7 Orca");
    return detail;
}

QString rowImageDescription(TaskProvider provider, bool isOrcaTask, LightState state) {
    QString name = isOrcaTask ? QStringLiteral("Orca") : appName(provider);
    if (!isOrcaTask && provider == TaskProvider::local)
        name = QStringLiteral("Local");
    return name + QStringLiteral(", ") + fromUtf8(LightStates::label(state));
}

QString emptyStateText(bool codexEnabled, bool claudeEnabled) {
    if (codexEnabled && claudeEnabled)
        return QStringLiteral("No recent Codex or Claude tasks or local signals.");
    if (codexEnabled)
        return QStringLiteral("No recent Codex tasks or local signals.");
    if (claudeEnabled)
        return QStringLiteral("No recent Claude tasks or local signals.");
    return QStringLiteral("No recent local signals.");
}

QString noTrayTitle() {
    return QStringLiteral("Quorvel is running");
}

QString noTrayMessage() {
    return QStringLiteral(
        "This desktop shows no tray icons, so Quorvel’s lamps cannot appear. On GNOME, the "
        "AppIndicator extension makes them show. Meanwhile, start Quorvel again to open its "
        "menu, or bind a key to the command “quorvel” in the keyboard settings.");
}

} // namespace quorvel::StatusTexts
