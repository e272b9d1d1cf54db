#include "Services/BugReportClient.h"
#include "Support/EventLoopWait.h"
#include "Support/LocalHttpServer.h"

#include <QNetworkAccessManager>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quorvel {
namespace {

using testing::LocalHttpServer;
using testing::waitUntil;
using Response = LocalHttpServer::Response;
using Code = BugReportSubmissionError::Code;

const QString reportsPath = "/api/bug-reports";

const QString credential = "secret-token";
const QString installationID = "3F2504E0-4F89-11D3-9A0C-0305E82C3301";

PreparedFeedbackScreenshot screenshot(qsizetype size = 300, const QString& type = "image/png") {
    QByteArray data(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        data[i] = static_cast<char>(i * 7 + 3);
    return {data, "shot.png", type};
}

Response json(int status, const char* body) {
    return {status, QByteArray(body), "Content-Type: application/json\r\n"};
}

struct Report {
    QString credential = quorvel::credential;
    QString installationID = quorvel::installationID;
    QString provider = "Codex";
    QString details = "The question stayed amber.";
    std::optional<QString> appVersion = "1.2.3";
    PreparedFeedbackScreenshot screenshot = quorvel::screenshot();
};

BugReportResult submitAndWait(const BugReportClient& client, const Report& report = {}) {
    std::optional<BugReportResult> result;
    client.submit(report.credential, report.installationID, report.provider, report.details,
                  report.appVersion, report.screenshot,
                  [&](const BugReportResult& outcome) { result = outcome; });
    EXPECT_TRUE(waitUntil([&] { return result.has_value(); }));
    return result.value_or(BugReportSubmissionError::invalidResponse());
}

std::optional<Code> errorCode(const BugReportResult& result) {
    if (const auto* error = std::get_if<BugReportSubmissionError>(&result))
        return error->code();
    return std::nullopt;
}

std::string errorText(const BugReportResult& result) {
    const auto* error = std::get_if<BugReportSubmissionError>(&result);
    return error != nullptr ? error->what() : "(a receipt)";
}

Code creationError(const QString& address) {
    try {
        BugReportClient client{QUrl(address)};
    } catch (const BugReportSubmissionError& error) {
        return error.code();
    }
    ADD_FAILURE() << "accepted " << address.toStdString();
    return Code::server;
}

TEST(BugReportClientCreation, AcceptsHttpsAnywhereAndPlainHttpOnlyToLoopbackHosts) {
    for (const char* address :
         {"HTTPS://Support.Example.COM/base", "https://support.example.com", "http://localhost:8080",
          "http://127.0.0.1", "http://[::1]:9000", "HTTP://LOCALHOST"})
        EXPECT_NO_THROW(BugReportClient{QUrl(QString::fromLatin1(address))}) << address;

    for (const char* address : {"http://example.com", "http://127.0.0.2", "http://localhost.example.com",
                                "ftp://example.com", "ws://localhost"})
        EXPECT_EQ(creationError(QString::fromLatin1(address)), Code::insecureServer) << address;
    for (const char* address : {"", "support.example.com", "https://", "file:///etc/passwd", "mailto:a@b.c"})
        EXPECT_EQ(creationError(QString::fromLatin1(address)), Code::invalidServer) << address;
}

TEST(BugReportSubmissionErrorText, EveryCaseHasItsMessageAndTheServerTextIsBounded) {
    using Error = BugReportSubmissionError;
    EXPECT_STREQ(Error::invalidServer().what(), "The Quorvel support service is not configured.");
    EXPECT_STREQ(Error::insecureServer().what(), "The support service must use HTTPS.");
    EXPECT_STREQ(Error::invalidReport().what(), "Check the report details and screenshot, then try again.");
    EXPECT_STREQ(Error::invalidResponse().what(), "The support service returned an invalid response.");
    EXPECT_STREQ(Error::unavailable().what(),
                 "The report could not be sent. Check your connection and try again.");
    EXPECT_STREQ(Error::server("Too blurry").what(), "Too blurry");
    EXPECT_STREQ(Error::server(" \n ").what(), "The report was not accepted. Please try again.");

    std::string long_;
    for (int i = 0; i < 600; ++i)
        long_ += "e\xCC\x81"; // one character of two code points
    const std::string shown = Error::server(long_).what();
    EXPECT_EQ(shown, long_.substr(0, 500 * 3));
}

class BugReportClientTest : public ::testing::Test {
protected:
    LocalHttpServer server;
    mutable QNetworkAccessManager manager;

    void SetUp() override { respondWith(json(201, R"({"id":"R-1","emailSent":true})")); }

    void respondWith(const Response& response) { server.answer(reportsPath, response); }

    BugReportClient client(const QString& basePath = QString()) const {
        return BugReportClient(QUrl(server.url(basePath)), NetworkTransport::make(&manager));
    }

    nlohmann::ordered_json sentBody() const {
        EXPECT_EQ(server.receivedRequests().size(), 1u);
        if (server.receivedRequests().empty())
            return {};
        return nlohmann::ordered_json::parse(server.receivedRequests().front().body.toStdString());
    }
};

TEST_F(BugReportClientTest, SendsOnePostWithTheHeadersAndTheBodyKeyByKey) {
    Report report;
    report.details = "\n  Waiting question shown as done.\t\n";
    report.appVersion = QString(50, u'9');
    report.screenshot = screenshot(400);
    const BugReportResult result = submitAndWait(client(), report);

    ASSERT_TRUE(std::holds_alternative<BugReportReceipt>(result)) << errorText(result);
    EXPECT_EQ(std::get<BugReportReceipt>(result), (BugReportReceipt{"R-1", true}));
    const LocalHttpServer::Request& request = server.receivedRequests().at(0);
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, reportsPath);
    EXPECT_EQ(request.headers.value("authorization"), "Bearer secret-token");
    EXPECT_EQ(request.headers.value("content-type"), "application/json");
    EXPECT_EQ(request.headers.value("accept"), "application/json");

    const nlohmann::ordered_json body = sentBody();
    std::vector<std::string> keys;
    for (const auto& [key, value] : body.items())
        keys.push_back(key);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"installationId", "provider", "details", "appVersion",
                                        "screenshotName", "screenshotContentType", "screenshotBase64"}));
    EXPECT_EQ(body["installationId"], "3f2504e0-4f89-11d3-9a0c-0305e82c3301");
    EXPECT_EQ(body["provider"], "Codex");
    EXPECT_EQ(body["details"], "Waiting question shown as done.");
    EXPECT_EQ(body["appVersion"], std::string(40, '9'));
    EXPECT_EQ(body["screenshotName"], "shot.png");
    EXPECT_EQ(body["screenshotContentType"], "image/png");
    const std::string base64 = body["screenshotBase64"];
    EXPECT_EQ(base64.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(QByteArray::fromBase64(QByteArray::fromStdString(base64)), report.screenshot.data);
}

TEST_F(BugReportClientTest, LeavesOutAnAbsentVersionAndCutsLongNamesByCharacters) {
    Report report;
    report.appVersion.reset();
    report.provider = "Claude Code";
    report.screenshot.fileName = QString(130, u'n') + QStringLiteral(".png");
    server.answer("/support/api/bug-reports", json(201, R"({"id":"R-1","emailSent":true})"));
    ASSERT_TRUE(std::holds_alternative<BugReportReceipt>(submitAndWait(client("/support/"), report)));

    EXPECT_EQ(server.receivedRequests().at(0).path, "/support/api/bug-reports");
    const nlohmann::ordered_json body = sentBody();
    EXPECT_FALSE(body.contains("appVersion"));
    EXPECT_EQ(body["provider"], "Claude Code");
    EXPECT_EQ(body["screenshotName"], std::string(120, 'n'));
}

TEST_F(BugReportClientTest, ChecksTheReportBeforeAnythingIsSent) {
    std::vector<std::pair<std::string, Report>> refused;
    auto add = [&](std::string name, auto change) {
        Report report;
        change(report);
        refused.emplace_back(std::move(name), report);
    };
    add("blank details", [](Report& r) { r.details = " \n\t\r\n "; });
    add("4,001 characters", [](Report& r) { r.details = QString(4001, u'x'); });
    add("provider in lower case", [](Report& r) { r.provider = "codex"; });
    add("other provider", [](Report& r) { r.provider = "Unknown"; });
    add("empty screenshot", [](Report& r) { r.screenshot = screenshot(0); });
    add("2,500,001 bytes", [](Report& r) { r.screenshot = screenshot(2'500'001); });
    add("GIF", [](Report& r) { r.screenshot.contentType = "image/gif"; });
    add("HEIF", [](Report& r) { r.screenshot.contentType = "image/heif"; });
    for (const auto& [name, report] : refused)
        EXPECT_EQ(errorCode(submitAndWait(client(), report)), Code::invalidReport) << name;

    // The credential and the installation id are configuration: the installation's fault, not the user's.
    std::vector<std::pair<std::string, Report>> misconfigured;
    refused.swap(misconfigured);
    add("no credential", [](Report& r) { r.credential.clear(); });
    add("credential that ends the header line", [](Report& r) { r.credential = "a\r\nX-Evil: 1"; });
    add("installation id that is no UUID", [](Report& r) { r.installationID = "installation"; });
    for (const auto& [name, report] : refused) {
        const BugReportResult result = submitAndWait(client(), report);
        EXPECT_EQ(errorCode(result), Code::invalidServer) << name;
        EXPECT_EQ(errorText(result), "The Quorvel support service is not configured.") << name;
    }
    EXPECT_TRUE(server.receivedRequests().empty());
}

TEST_F(BugReportClientTest, AcceptsTheLimitsThemselves) {
    Report report;
    QString combined;
    for (int i = 0; i < 4000; ++i)
        combined += "e\u0301"; // 4,000 characters of 8,000 code points
    report.details = QStringLiteral("  ") + combined + QStringLiteral("\n");
    report.screenshot = screenshot(2'500'000, "image/heic");
    EXPECT_TRUE(std::holds_alternative<BugReportReceipt>(submitAndWait(client(), report)));
    EXPECT_EQ(sentBody()["details"], combined.toStdString());
}

TEST_F(BugReportClientTest, TurnsEachKindOfReplyIntoItsResult) {
    struct Case {
        Response response;
        std::optional<Code> code;
        std::string text;
    };
    const std::vector<Case> cases = {
        {json(200, R"({"id":"R-7","emailSent":false,"extra":1})"), std::nullopt, ""},
        {json(201, R"({"id":"","emailSent":true})"), Code::invalidResponse, ""},
        {json(201, R"({"id":"R-1","emailSent":"yes"})"), Code::invalidResponse, ""},
        {json(201, R"({"id":"R-1"})"), Code::invalidResponse, ""},
        {json(200, "not json"), Code::invalidResponse, ""},
        {json(503, R"({"error":"maintenance"})"), Code::unavailable, ""},
        {json(500, ""), Code::unavailable, ""},
        {json(422, R"({"error":"Screenshot is unreadable."})"), Code::server, "Screenshot is unreadable."},
        {json(400, R"({"error":""})"), Code::server, "The report was not accepted. Please try again."},
        {json(401, R"({"error":7})"), Code::server, "The report was not accepted. Please try again."},
        {{404, "<html><body>Not Found</body></html>", "Content-Type: text/html\r\n"},
         Code::server,
         "The report was not accepted. Please try again."},
    };
    for (const Case& c : cases) {
        respondWith(c.response);
        const BugReportResult result = submitAndWait(client());
        const std::string label = std::to_string(c.response.status) + " " + c.response.body.toStdString();
        EXPECT_EQ(errorCode(result), c.code) << label;
        if (!c.text.empty()) {
            EXPECT_EQ(errorText(result), c.text) << label;
        }
    }
    respondWith(json(200, R"({"id":"R-7","emailSent":false})"));
    EXPECT_EQ(std::get<BugReportReceipt>(submitAndWait(client())), (BugReportReceipt{"R-7", false}));
}

TEST_F(BugReportClientTest, ReadsAtMostOneMegabyteOfReply) {
    const QByteArray head = R"({"id":"R-2","emailSent":true,"pad":")";
    const QByteArray tail = R"("})";
    const auto padded = [&](qsizetype total) {
        return Response{201, head + QByteArray(total - head.size() - tail.size(), 'p') + tail, {}};
    };
    respondWith(padded(NetworkTransport::maximumReplyBytes));
    EXPECT_TRUE(std::holds_alternative<BugReportReceipt>(submitAndWait(client())));
    respondWith(padded(NetworkTransport::maximumReplyBytes + 1));
    EXPECT_EQ(errorCode(submitAndWait(client())), Code::invalidResponse);
    respondWith(padded(8'000'000));
    EXPECT_EQ(errorCode(submitAndWait(client())), Code::invalidResponse);
}

TEST_F(BugReportClientTest, AnEndlessReplyIsDroppedAtItsCapAndASlowOneAtTheDeadline) {
    testing::EndlessHttpServer endless;
    const BugReportClient endlessClient(QUrl(endless.url(QString())), NetworkTransport::make(&manager));
    EXPECT_EQ(errorCode(submitAndWait(endlessClient)), Code::invalidResponse);
    // A drained endless answer never ends; a closed connection ends it however busy the machine is.
    EXPECT_TRUE(waitUntil([&] { return endless.endedAnswers() == 1; }, std::chrono::seconds(5)))
        << "the connection was drained after the cap";

    respondWith({201, R"({"id":"R-9","emailSent":true})", {}, LocalHttpServer::Pacing::trickle});
    const BugReportClient slow(QUrl(server.url(QString())),
                               NetworkTransport::make(&manager, std::chrono::milliseconds(400)));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(errorCode(submitAndWait(slow)), Code::unavailable);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(BugReportClientTest, FollowsRedirectsOnlyWithinTheSameOrigin) {
    // The same server under another host name is another origin.
    LocalHttpServer elsewhere;
    elsewhere.answer(reportsPath, json(201, R"({"id":"stolen","emailSent":true})"));
    const QByteArray elsewhereURL =
        "http://localhost:" + QByteArray::number(elsewhere.port()) + "/api/bug-reports";
    respondWith({307, {}, "Location: " + elsewhereURL + "\r\n"});
    EXPECT_EQ(errorCode(submitAndWait(client())), Code::unavailable);
    EXPECT_TRUE(elsewhere.receivedRequests().empty());

    respondWith({307, {}, "Location: /v2/api/bug-reports\r\n"});
    server.answer("/v2/api/bug-reports", json(201, R"({"id":"R-3","emailSent":true})"));
    const BugReportResult result = submitAndWait(client());
    EXPECT_EQ(std::get<BugReportReceipt>(result).id, "R-3") << errorText(result);
    EXPECT_EQ(server.receivedRequests().back().method, "POST");
}

TEST_F(BugReportClientTest, ANetworkFailureIsUnavailable) {
    QUrl address(server.url(QString()));
    address.setPort(testing::closedLoopbackPort());
    const BugReportClient unreachable(address, NetworkTransport::make(&manager));
    EXPECT_EQ(errorCode(submitAndWait(unreachable)), Code::unavailable);
}

TEST(BugReportClientTransport, GetsTheRequestWithItsTimeoutAndAnswersLater) {
    QNetworkRequest seen;
    std::optional<BugReportTransportReply> answer = BugReportTransportReply{std::nullopt, "{}", false};
    const BugReportClient client(
        QUrl("https://support.example.com/base"),
        [&](const QNetworkRequest& request, const QByteArray&, BugReportTransportDone done) {
            seen = request;
            done(answer);
        });
    // A reply that is not an HTTP response.
    bool called = false;
    client.submit(credential, installationID, "Codex", "x", std::nullopt, screenshot(),
                  [&](const BugReportResult& result) {
                      called = true;
                      EXPECT_EQ(errorCode(result), Code::invalidResponse);
                  });
    EXPECT_FALSE(called) << "the result arrives on a later turn of the event loop";
    EXPECT_TRUE(waitUntil([&] { return called; }));
    EXPECT_EQ(seen.url(), QUrl("https://support.example.com/base/api/bug-reports"));
    EXPECT_EQ(seen.transferTimeout(), 60'000);

    answer.reset(); // the transport could not perform the request
    EXPECT_EQ(errorCode(submitAndWait(client)), Code::unavailable);
}

} // namespace
} // namespace quorvel
