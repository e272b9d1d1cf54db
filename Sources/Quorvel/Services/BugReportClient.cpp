#include "Services/BugReportClient.h"

#include "Support/Json.h"
#include "Support/Unicode.h"
#include "Support/Uuid.h"

#include <QCoreApplication>
#include <QTimer>

namespace quorvel {
namespace {

constexpr std::size_t maximumAppVersionCharacters = 40;
constexpr std::size_t maximumScreenshotNameCharacters = 120;

bool isLoopbackHost(const QString& host) {
    return host == u"localhost" || host == u"127.0.0.1" || host == u"::1";
}

bool isAllowedProvider(const QString& provider) {
    return provider == u"Codex" || provider == u"Claude Code";
}

bool isAllowedContentType(const QString& type) {
    return type == u"image/png" || type == u"image/jpeg" || type == u"image/heic";
}

// A header value must not be able to end its line: no control characters at all.
bool isUsableCredential(const QString& credential) {
    if (credential.isEmpty())
        return false;
    return std::none_of(credential.begin(), credential.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; });
}

std::optional<BugReportSubmissionError> addressError(const QUrl& baseURL) {
    const QString scheme = baseURL.scheme().toLower();
    const QString host = baseURL.host().toLower();
    if (scheme.isEmpty() || host.isEmpty())
        return BugReportSubmissionError::invalidServer();
    if (scheme != u"https" && !(scheme == u"http" && isLoopbackHost(host)))
        return BugReportSubmissionError::insecureServer();
    return std::nullopt;
}

std::string prefix(const QString& text, std::size_t characters) {
    return Unicode::graphemePrefix(text.toStdString(), characters);
}

// Throws invalidReport or invalidServer; returns the trimmed details.
std::string checkedDetails(const QString& credential, const QString& installationID, const QString& provider,
                           const QString& details, const PreparedFeedbackScreenshot& screenshot) {
    const std::string utf8 = details.toStdString();
    const std::string_view trimmed = Unicode::trimmed(utf8);
    if (!isAllowedProvider(provider) || trimmed.empty() ||
        Unicode::graphemeCount(trimmed, BugReportClient::maximumDetailsCharacters) >
            BugReportClient::maximumDetailsCharacters)
        throw BugReportSubmissionError::invalidReport();
    // The credential and the installation id are the installation's configuration, not the user's input.
    if (!isUsableCredential(credential) || !Uuid::isUuidText(installationID.toStdString()))
        throw BugReportSubmissionError::invalidServer();
    if (screenshot.data.isEmpty() || screenshot.data.size() > BugReportClient::maximumScreenshotBytes ||
        !isAllowedContentType(screenshot.contentType))
        throw BugReportSubmissionError::invalidReport();
    return std::string(trimmed);
}

QByteArray payload(const QString& installationID, const QString& provider, const std::string& details,
                   const std::optional<QString>& appVersion, const PreparedFeedbackScreenshot& screenshot) {
    nlohmann::ordered_json body;
    body["installationId"] = Uuid::lowercased(installationID.toStdString());
    body["provider"] = provider.toStdString();
    body["details"] = details;
    if (appVersion)
        body["appVersion"] = prefix(*appVersion, maximumAppVersionCharacters);
    body["screenshotName"] = prefix(screenshot.fileName, maximumScreenshotNameCharacters);
    body["screenshotContentType"] = screenshot.contentType.toStdString();
    body["screenshotBase64"] = screenshot.data.toBase64().toStdString();
    return QByteArray::fromStdString(body.dump());
}

QUrl reportsURL(QUrl base) {
    QString path = base.path();
    if (!path.endsWith(u'/'))
        path += u'/';
    base.setPath(path + QStringLiteral("api/bug-reports"));
    return base;
}

BugReportResult serverRefusal(const QByteArray& body) {
    JsonParser parser;
    if (const auto object = parser.tryParseObject(std::string_view(body.constData(), body.size()))) {
        if (const auto text = JsonValue::string(*object, "error"))
            return BugReportSubmissionError::server(std::string(*text));
    }
    return BugReportSubmissionError::server("");
}

void deliverLater(BugReportCompletion completion, BugReportResult result) {
    QTimer::singleShot(
        0, QCoreApplication::instance(),
        [completion = std::move(completion), result = std::move(result)] { completion(result); });
}

} // namespace

BugReportClient::BugReportClient(const QUrl& baseURL, BugReportTransport transport)
    : baseURL_(baseURL), transport_(std::move(transport)) {
    if (const auto error = addressError(baseURL))
        throw *error;
}

std::optional<BugReportSubmissionError> BugReportClient::configurationError(const QUrl& baseURL,
                                                                            const QString& credential) {
    if (auto error = addressError(baseURL))
        return error;
    if (!isUsableCredential(credential))
        return BugReportSubmissionError::invalidServer();
    return std::nullopt;
}

QNetworkRequest BugReportClient::request(const QString& credential) const {
    QNetworkRequest request(reportsURL(baseURL_));
    request.setTransferTimeout(timeoutMilliseconds);
    request.setRawHeader("Authorization", "Bearer " + credential.toUtf8());
    request.setRawHeader("Content-Type", "application/json");
    request.setRawHeader("Accept", "application/json");
    return request;
}

void BugReportClient::submit(const QString& credential, const QString& installationID,
                             const QString& provider, const QString& details,
                             const std::optional<QString>& appVersion,
                             const PreparedFeedbackScreenshot& screenshot,
                             BugReportCompletion completion) const {
    QByteArray body;
    try {
        const std::string trimmed = checkedDetails(credential, installationID, provider, details, screenshot);
        body = payload(installationID, provider, trimmed, appVersion, screenshot);
    } catch (const BugReportSubmissionError& error) {
        deliverLater(std::move(completion), error);
        return;
    }
    transport_(request(credential), body, [completion = std::move(completion)](auto reply) {
        deliverLater(completion, interpret(reply));
    });
}

BugReportResult BugReportClient::interpret(const std::optional<BugReportTransportReply>& reply) {
    if (!reply)
        return BugReportSubmissionError::unavailable();
    if (!reply->httpStatus)
        return BugReportSubmissionError::invalidResponse();
    const int status = *reply->httpStatus;
    // A body past the cap was not read to its end: it decodes as nothing.
    const QByteArray body = reply->bodyTooLarge ? QByteArray() : reply->body;
    if (status >= 200 && status <= 299) {
        const auto receipt = BugReportReceipt::decode(std::string_view(body.constData(), body.size()));
        if (!receipt)
            return BugReportSubmissionError::invalidResponse();
        return *receipt;
    }
    if (status >= 500 && status <= 599)
        return BugReportSubmissionError::unavailable();
    return serverRefusal(body);
}

} // namespace quorvel
