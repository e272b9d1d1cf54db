#include "Windows/IntegrationFailureText.h"

#include "App/IsolatedText.h"
#include "Login/LaunchAtLoginError.h"
#include "Model/StatusError.h"
#include "Support/Json.h"

#include <system_error>

namespace quorvel::IntegrationFailureText {

QString describe(const std::exception& error) {
    if (dynamic_cast<const StatusError*>(&error))
        return QStringLiteral(
            "Quorvel left Claude Code\u2019s settings unchanged because a file or folder it "
            "must change is a link, belongs to another user, or is not in the expected "
            "form.");
    if (dynamic_cast<const JsonParseError*>(&error))
        return QStringLiteral(
            "Claude Code\u2019s settings file ~/.claude/settings.json is not valid JSON, so "
            "Quorvel left it unchanged.");
    return errorText(error);
}

QString errorText(const std::exception& error) {
    const QString text = QString::fromUtf8(error.what());
    const auto* platformError = dynamic_cast<const std::system_error*>(&error);
    if (!platformError)
        return text;
    const QString reason = QStringLiteral(": ") + QString::fromStdString(platformError->code().message());
    if (text.size() <= reason.size() || !text.endsWith(reason))
        return text;
    return isolated(text.chopped(reason.size())) + reason;
}

bool offersLoginItems(const std::exception& error) {
    return dynamic_cast<const LaunchAtLoginError*>(&error) != nullptr;
}

} // namespace quorvel::IntegrationFailureText
