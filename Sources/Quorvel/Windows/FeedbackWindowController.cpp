#include "Windows/FeedbackWindowController.h"

#include "App/IsolatedText.h"
#include "Platform/AlertPresenter.h"
#include "Platform/ThreadPoolScreenshotWorker.h"
#include "Support/Unicode.h"
#include "Windows/FeedbackScreenshotPreview.h"
#include "Windows/PicturesFolder.h"
#include "Windows/ReturnKeyTrigger.h"
#include "Windows/TextBoxFrame.h"
#include "Windows/TextLabel.h"
#include "Windows/Typography.h"
#include "Windows/WindowPlacement.h"

#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {
namespace {

constexpr int contentWidth = 484;
constexpr int screenshotNameWidth = 300;
constexpr QSize previewSize(contentWidth, 90);

const QString failureTitle = QStringLiteral("Could not send report");
const QString noScreenshotName = QStringLiteral("No screenshot selected");
// Qt's own file dialog (where the desktop offers none) opens wide enough for its columns.
constexpr QSize chooserSize(760, 500);
const QString instructions =
    QStringLiteral("1. Leave the Codex or Claude Code question or approval open.\n"
                   "2. Press Print Screen and capture the prompt and its task title.\n"
                   "3. Attach the screenshot and tell us what Quorvel showed instead.\n"
                   "Your report is saved by Nimbrel support and emailed to the support team.");

// A wrapping secondary text as wide as the form.
TextLabel* formNote(const QString& text, int points) {
    TextLabel* note = TextLabel::wrapping(text, points, QFont::Normal, TextColour::secondaryLabel);
    note->setFixedWidth(contentWidth);
    return note;
}

QString successMessage(const BugReportReceipt& receipt) {
    return receipt.emailSent ? QStringLiteral("Thanks for your report")
                             : QStringLiteral("Your report has been saved");
}

QString successInformative(const BugReportReceipt& receipt) {
    const QString body = receipt.emailSent
                             ? QStringLiteral("It has been sent to Nimbrel Support for review.")
                             : QStringLiteral("Nimbrel Support can still review it, although the email "
                                              "notification was delayed.");
    return body + QStringLiteral("\n\nReference: ") + isolated(QString::fromStdString(receipt.id));
}

} // namespace

FeedbackWindowController::FeedbackWindowController(SubmitReport submitReport, AlertPresenter& alerts,
                                                   ScreenshotChooser chooseFile,
                                                   std::unique_ptr<ScreenshotWorker> worker)
    : submitReport_(std::move(submitReport)), alerts_(alerts), chooseFile_(std::move(chooseFile)),
      worker_(worker ? std::move(worker) : std::make_unique<ThreadPoolScreenshotWorker>()),
      window_(WindowPlacement::makeWindow(QStringLiteral("Report an issue"))) {
    window_->setFixedSize(540, 610);
    buildContent();
    WindowPlacement::closeOnEscape(*window_);
    WindowPlacement::centre(*window_);
}

FeedbackWindowController::~FeedbackWindowController() = default;

FeedbackWindowController::ScreenshotChooser FeedbackWindowController::fileDialogChooser() {
    return [](QWidget* parent) -> std::optional<std::filesystem::path> {
        const std::unique_ptr<QFileDialog> dialog = screenshotDialog(parent);
        if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
            return std::nullopt;
        return std::filesystem::path(dialog->selectedFiles().constFirst().toStdString());
    };
}

std::unique_ptr<QFileDialog> FeedbackWindowController::screenshotDialog(QWidget* parent) {
    auto dialog =
        std::make_unique<QFileDialog>(parent, QStringLiteral("Choose Screenshot"), PicturesFolder::path());
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("PNG, JPEG or HEIC images (*.png *.jpg *.jpeg *.heic)"));
    dialog->resize(chooserSize);
    return dialog;
}

void FeedbackWindowController::buildContent() {
    QWidget* root = window_.get();
    auto* stack = new QVBoxLayout(root);
    stack->setContentsMargins(28, 24, 28, 22);
    stack->setSpacing(13);

    stack->addWidget(TextLabel::oneLine(QStringLiteral("Show us what Quorvel missed"), 22, QFont::DemiBold));
    serviceNotice_ = TextLabel::wrapping(QString(), 13, QFont::Medium, TextColour::systemRed);
    serviceNotice_->setFixedWidth(contentWidth);
    serviceNotice_->hide();
    stack->addWidget(serviceNotice_);
    stack->addWidget(formNote(instructions, 13));
    stack->addWidget(TextLabel::oneLine(QStringLiteral("Where did it happen?"), 13, QFont::Medium));

    provider_ = new QComboBox(root);
    provider_->addItems({QStringLiteral("Codex"), QStringLiteral("Claude Code")});
    stack->addWidget(provider_, 0, Qt::AlignLeft);

    stack->addWidget(TextLabel::oneLine(QStringLiteral("What was waiting, and what light did you see?"), 13,
                                        QFont::Medium));
    details_ = new QPlainTextEdit(root);
    details_->setFont(Typography::system(13));
    details_->setFrameShape(QFrame::NoFrame);
    details_->document()->setDocumentMargin(8);
    details_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    details_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    details_->setTabChangesFocus(true);
    auto* detailsFrame = new TextBoxFrame(details_, root);
    detailsFrame->setFixedSize(contentWidth, 105);
    stack->addWidget(detailsFrame);

    auto* screenshotRow = new QHBoxLayout;
    screenshotRow->setSpacing(10);
    auto* chooseButton = new QPushButton(QStringLiteral("Choose Screenshot…"), root);
    connect(chooseButton, &QPushButton::clicked, this, &FeedbackWindowController::chooseScreenshot);
    screenshotRow->addWidget(chooseButton);
    screenshotNameLabel_ = TextLabel::oneLine(QString(), 13, QFont::Normal, TextColour::secondaryLabel);
    screenshotNameLabel_->setFixedWidth(screenshotNameWidth);
    screenshotRow->addWidget(screenshotNameLabel_);
    screenshotRow->addStretch();
    stack->addLayout(screenshotRow);

    screenshotPreview_ = new FeedbackScreenshotPreview(root);
    screenshotPreview_->setFixedSize(previewSize);
    screenshotPreview_->hide();
    stack->addWidget(screenshotPreview_);

    stack->addWidget(formNote(QStringLiteral("Only the details and image you choose are sent. Hide private "
                                             "information in the screenshot first."),
                              11));

    auto* bottom = new QWidget(root);
    bottom->setFixedWidth(contentWidth);
    auto* bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(0, 0, 0, 0);
    submissionStatus_ = TextLabel::oneLine(QString(), 13, QFont::Normal, TextColour::secondaryLabel);
    bottomRow->addWidget(submissionStatus_);
    bottomRow->addStretch();
    submitButton_ = new QPushButton(QStringLiteral("Send Report"), bottom);
    submitButton_->setDefault(true);
    connect(submitButton_, &QPushButton::clicked, this, &FeedbackWindowController::sendReport);
    bottomRow->addWidget(submitButton_);
    stack->addWidget(bottom);
    stack->addStretch();

    // Return sends the report; in the description it starts a new line, as the text field takes it first.
    new ReturnKeyTrigger(root, submitButton_);
    setScreenshotName(noScreenshotName);
}

void FeedbackWindowController::setServiceUnavailable(const QString& reason) {
    serviceNotice_->setText(reason);
    serviceNotice_->show();
    serviceAvailable_ = false;
    submitButton_->setEnabled(false);
}

void FeedbackWindowController::showWindow() {
    WindowPlacement::bringToFront(*window_);
}

void FeedbackWindowController::setScreenshotName(const QString& name) {
    screenshotName_ = name;
    screenshotNameLabel_->setText(
        screenshotNameLabel_->fontMetrics().elidedText(name, Qt::ElideMiddle, screenshotNameWidth));
}

void FeedbackWindowController::showFailure(const QString& informative) {
    alerts_.show(failureTitle, informative, AlertStyle::warning);
}

void FeedbackWindowController::chooseScreenshot() {
    const auto path = chooseFile_(window_.get());
    if (!path)
        return;
    const int choice = ++choice_;
    const qreal ratio = window_->devicePixelRatioF();
    QPointer<FeedbackWindowController> self(this);
    worker_->check(*path, previewSize * ratio, [self, choice, path = *path, ratio](QImage preview) {
        if (!self || choice != self->choice_)
            return;
        preview.setDevicePixelRatio(ratio);
        self->finishChoosing(path, preview);
    });
}

void FeedbackWindowController::finishChoosing(const std::filesystem::path& path, const QImage& preview) {
    if (preview.isNull()) {
        showFailure(
            QStringLiteral("Choose a PNG, JPEG or HEIC screenshot smaller than 10 MB. Linked files and "
                           "oversized images are not accepted."));
        return;
    }
    screenshotPreview_->setImage(preview);
    screenshotPreview_->show();
    screenshotURL_ = path;
    setScreenshotName(QString::fromStdString(path.filename().string()));
}

void FeedbackWindowController::sendReport() {
    if (!screenshotURL_) {
        showFailure(QStringLiteral("Choose a screenshot first."));
        return;
    }
    if (sending_)
        return; // a report is being prepared or sent
    sending_ = true;
    submitButton_->setEnabled(false);
    submissionStatus_->setText(QStringLiteral("Sending…"));
    // The report is what the form held when Send was pressed.
    const QString provider =
        provider_->currentIndex() < 0 ? QStringLiteral("Unknown") : provider_->currentText();
    const QString details = details_->toPlainText();
    QPointer<FeedbackWindowController> self(this);
    worker_->prepare(*screenshotURL_,
                     [self, provider, details](std::optional<PreparedFeedbackScreenshot> screenshot) {
                         if (self)
                             self->sendPrepared(screenshot, provider, details);
                     });
}

void FeedbackWindowController::sendPrepared(const std::optional<PreparedFeedbackScreenshot>& screenshot,
                                            const QString& provider, const QString& details) {
    if (!screenshot) {
        stopSending();
        showFailure(QStringLiteral(
            "The selected screenshot changed or is no longer safe to attach. Choose it again."));
        return;
    }
    const std::string text = details.toStdString();
    const std::string_view trimmed = Unicode::trimmed(text);
    if (trimmed.empty()) {
        stopSending();
        showFailure(QStringLiteral("Describe what was waiting and which light Quorvel showed."));
        return;
    }
    if (Unicode::graphemeCount(trimmed, maximumDetailsCharacters) > maximumDetailsCharacters) {
        stopSending();
        showFailure(QStringLiteral("Keep the description under 4,000 characters."));
        return;
    }
    QPointer<FeedbackWindowController> self(this);
    submitReport_(provider, QString::fromUtf8(trimmed.data(), static_cast<qsizetype>(trimmed.size())),
                  *screenshot, [self](const BugReportResult& result) {
                      if (self)
                          self->finishSending(result);
                  });
}

void FeedbackWindowController::stopSending() {
    submissionStatus_->clear();
    sending_ = false;
    submitButton_->setEnabled(serviceAvailable_);
}

void FeedbackWindowController::finishSending(const BugReportResult& result) {
    if (const auto* receipt = std::get_if<BugReportReceipt>(&result)) {
        submissionStatus_->setText(QStringLiteral("Sent"));
        alerts_.show(successMessage(*receipt), successInformative(*receipt), AlertStyle::informational);
        resetForm();
        window_->close();
    } else {
        submissionStatus_->clear();
        showFailure(std::get<BugReportSubmissionError>(result).description());
    }
    sending_ = false;
    submitButton_->setEnabled(serviceAvailable_);
}

void FeedbackWindowController::resetForm() {
    provider_->setCurrentIndex(0);
    details_->clear();
    screenshotURL_.reset();
    setScreenshotName(noScreenshotName);
    screenshotPreview_->clear();
    screenshotPreview_->hide();
    submissionStatus_->clear();
}

} // namespace quorvel
