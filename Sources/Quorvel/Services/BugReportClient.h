#pragma once

#include "Services/BugReportReceipt.h"
#include "Services/BugReportSubmissionError.h"
#include "Services/BugReportTransport.h"
#include "Services/PreparedFeedbackScreenshot.h"

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <variant>

namespace quorvel {

using BugReportResult = std::variant<BugReportReceipt, BugReportSubmissionError>;
using BugReportCompletion = std::function<void(const BugReportResult&)>;

// Sends one issue report to the support service and turns the reply into a receipt or an error.
class BugReportClient {
public:
    static constexpr std::size_t maximumDetailsCharacters = 4000;
    static constexpr qsizetype maximumScreenshotBytes = 2'500'000;
    static constexpr int timeoutMilliseconds = 60'000;

    // HTTPS to any host, plain HTTP only to a loopback host. Throws BugReportSubmissionError
    // (invalidServer without a scheme or host, insecureServer otherwise).
    explicit BugReportClient(const QUrl& baseURL, BugReportTransport transport = NetworkTransport::make());

    // What keeps every report from being sent with this address and credential, before anyone writes one:
    // the address checks of the constructor, then an unusable credential (invalidServer).
    static std::optional<BugReportSubmissionError> configurationError(const QUrl& baseURL,
                                                                      const QString& credential);

    const QUrl& baseURL() const { return baseURL_; }

    // Checks the report, sends it and calls `completion` once, always later on the calling thread's event
    // loop, with the receipt or a BugReportSubmissionError. A report that fails a check is never sent.
    void submit(const QString& credential, const QString& installationID, const QString& provider,
                const QString& details, const std::optional<QString>& appVersion,
                const PreparedFeedbackScreenshot& screenshot, BugReportCompletion completion) const;

    // The error the service's reply stands for, or the receipt.
    static BugReportResult interpret(const std::optional<BugReportTransportReply>& reply);

private:
    QNetworkRequest request(const QString& credential) const;

    QUrl baseURL_;
    BugReportTransport transport_;
};

} // namespace quorvel
