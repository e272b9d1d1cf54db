#pragma once

#include <QByteArray>
#include <QNetworkRequest>
#include <chrono>
#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace quorvel {

// What came back for one request.
struct BugReportTransportReply {
    std::optional<int> httpStatus; // nothing when the response is not an HTTP response
    QByteArray body;
    bool bodyTooLarge = false; // the body passed the reply cap and was not read to its end
};

// Sends one POST request and calls `done` on the calling thread's event loop with the reply, or with
// nothing when the request could not be performed (connection, timeout, refused redirect).
using BugReportTransportDone = std::function<void(std::optional<BugReportTransportReply>)>;
using BugReportTransport =
    std::function<void(const QNetworkRequest& request, const QByteArray& body, BugReportTransportDone done)>;

namespace NetworkTransport {

// The most reply bytes that are read.
inline constexpr qsizetype maximumReplyBytes = 1'000'000;
// The longest a request may take, from sending its first byte to reading its last.
inline constexpr std::chrono::milliseconds defaultDeadline = std::chrono::minutes(2);

// The transport over `manager` (which must outlive every request), or over one manager shared by the
// application when none is given. Redirects are followed only to the same scheme, host and port. A
// request still running at its deadline is abandoned, as is a reply past maximumReplyBytes.
BugReportTransport make(QNetworkAccessManager* manager = nullptr,
                        std::chrono::milliseconds deadline = defaultDeadline);

} // namespace NetworkTransport
} // namespace quorvel
