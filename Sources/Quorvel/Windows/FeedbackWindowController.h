#pragma once

#include "Platform/ScreenshotWorker.h"
#include "Services/BugReportClient.h"
#include "Services/PreparedFeedbackScreenshot.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QFileDialog;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace quorvel {

class AlertPresenter;
class FeedbackScreenshotPreview;

// The "Report an issue" window: the assistant, a description and a screenshot, sent through a closure
// of the application's.
class FeedbackWindowController : public QObject {
    Q_OBJECT
public:
    // Sends the report and calls `done` once with the receipt or the error.
    using SubmitReport =
        std::function<void(const QString& provider, const QString& details,
                           const PreparedFeedbackScreenshot& screenshot, BugReportCompletion done)>;
    // Asks the user for one existing image file; nothing when cancelled.
    using ScreenshotChooser = std::function<std::optional<std::filesystem::path>(QWidget* parent)>;

    static constexpr std::size_t maximumDetailsCharacters = 4000;

    // `alerts` must outlive the controller. Pictures are checked and prepared by `worker`, by default on
    // a thread of its own.
    FeedbackWindowController(SubmitReport submitReport, AlertPresenter& alerts,
                             ScreenshotChooser chooseFile = fileDialogChooser(),
                             std::unique_ptr<ScreenshotWorker> worker = nullptr);
    ~FeedbackWindowController() override;

    // The platform's open dialog, limited to PNG, JPEG and HEIC files, starting in the pictures folder.
    static ScreenshotChooser fileDialogChooser();
    // That dialog, not yet shown.
    static std::unique_ptr<QFileDialog> screenshotDialog(QWidget* parent);

    // Says so at the top of the window, in the reason's words, and keeps Send unavailable.
    void setServiceUnavailable(const QString& reason);
    void showWindow();
    // Asks for a file; its check and preview arrive later, and only the latest choice counts.
    void chooseScreenshot();
    // Prepares the screenshot (sending stays off meanwhile), then checks the description and sends.
    void sendReport();
    void resetForm();

    QWidget* window() const { return window_.get(); }
    QComboBox* provider() const { return provider_; }
    QPlainTextEdit* details() const { return details_; }
    // The whole file name; the label shows it shortened in the middle when it does not fit.
    const QString& screenshotName() const { return screenshotName_; }
    QLabel* screenshotNameLabel() const { return screenshotNameLabel_; }
    FeedbackScreenshotPreview* screenshotPreview() const { return screenshotPreview_; }
    QPushButton* submitButton() const { return submitButton_; }
    QLabel* submissionStatus() const { return submissionStatus_; }
    QLabel* serviceNotice() const { return serviceNotice_; }
    const std::optional<std::filesystem::path>& screenshotURL() const { return screenshotURL_; }

private:
    void buildContent();
    void setScreenshotName(const QString& name);
    void showFailure(const QString& informative);
    void finishChoosing(const std::filesystem::path& path, const QImage& preview);
    void sendPrepared(const std::optional<PreparedFeedbackScreenshot>& screenshot, const QString& provider,
                      const QString& details);
    void stopSending();
    void finishSending(const BugReportResult& result);

    SubmitReport submitReport_;
    AlertPresenter& alerts_;
    ScreenshotChooser chooseFile_;
    std::unique_ptr<ScreenshotWorker> worker_;
    int choice_ = 0; // counts the choices, so that an earlier check arriving late is dropped
    std::unique_ptr<QWidget> window_;
    QComboBox* provider_ = nullptr;
    QPlainTextEdit* details_ = nullptr;
    QLabel* screenshotNameLabel_ = nullptr;
    FeedbackScreenshotPreview* screenshotPreview_ = nullptr;
    QPushButton* submitButton_ = nullptr;
    QLabel* submissionStatus_ = nullptr;
    QLabel* serviceNotice_ = nullptr;
    bool serviceAvailable_ = true;
    bool sending_ = false; // from Send until the report is sent or refused
    QString screenshotName_;
    std::optional<std::filesystem::path> screenshotURL_;
};

} // namespace quorvel
