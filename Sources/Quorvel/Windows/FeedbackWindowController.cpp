#include "Windows/FeedbackWindowController.h"

#include "Platform/AlertPresenter.h"
#include "Services/FeedbackScreenshotValidator.h"
#include "Services/ScreenshotFile.h"
#include "Support/Unicode.h"
#include "Windows/FeedbackScreenshotPreview.h"
#include "Windows/Palette.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace quorvel {
namespace {

constexpr int contentWidth = 484;
constexpr int screenshotNameWidth = 300;
constexpr QSize previewSize(contentWidth, 90);

const QString failureTitle = QStringLiteral("Could not send report");
const QString noScreenshotName = QStringLiteral("No screenshot selected");
const QString chooserMessage =
    QStringLiteral("Choose the screenshot showing the missed question or approval.");
const QString instructions =
    QStringLiteral("1. Leave the Codex or Claude Code question or approval open.\n"
                   "2. Press Shift-Command-4 and capture the prompt and its task title.\n"
                   "3. Attach the screenshot and tell us what Quorvel showed instead.\n"
                   "Your report is saved by Nimbrel support and emailed to the support team.");

QFont systemFont(int pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

void useSecondaryColour(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Palette::secondaryLabel());
    label->setPalette(palette);
}

QLabel* label(const QString& text, const QFont& font, QWidget* parent) {
    auto* result = new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    result->setFont(font);
    return result;
}

QLabel* wrappingLabel(const QString& text, const QFont& font, QWidget* parent) {
    QLabel* result = label(text, font, parent);
    result->setWordWrap(true);
    result->setFixedWidth(contentWidth);
    useSecondaryColour(result);
    return result;
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
    return body + QStringLiteral("\n\nReference: ") + QString::fromStdString(receipt.id);
}

void centreOnScreen(QWidget* window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

} // namespace

FeedbackWindowController::FeedbackWindowController(SubmitReport submitReport, AlertPresenter& alerts,
                                                   ScreenshotChooser chooseFile)
    : submitReport_(std::move(submitReport)), alerts_(alerts), chooseFile_(std::move(chooseFile)),
      window_(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowCloseButtonHint)) {
    window_->setWindowTitle(QStringLiteral("Report an issue"));
    window_->setFixedSize(540, 610);
    buildContent();
    centreOnScreen(window_.get());
}

FeedbackWindowController::~FeedbackWindowController() = default;

FeedbackWindowController::ScreenshotChooser FeedbackWindowController::fileDialogChooser() {
    return [](QWidget* parent) -> std::optional<std::filesystem::path> {
        QFileDialog dialog(parent, chooserMessage);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter(QStringLiteral("PNG, JPEG or HEIC images (*.png *.jpg *.jpeg *.heic)"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return std::filesystem::path(dialog.selectedFiles().constFirst().toStdString());
    };
}

void FeedbackWindowController::buildContent() {
    QWidget* root = window_.get();
    auto* stack = new QVBoxLayout(root);
    stack->setContentsMargins(28, 24, 28, 22);
    stack->setSpacing(13);

    stack->addWidget(
        label(QStringLiteral("Show us what Quorvel missed"), systemFont(22, QFont::DemiBold), root));
    stack->addWidget(wrappingLabel(instructions, systemFont(13), root));
    stack->addWidget(label(QStringLiteral("Where did it happen?"), systemFont(13, QFont::Medium), root));

    provider_ = new QComboBox(root);
    provider_->addItems({QStringLiteral("Codex"), QStringLiteral("Claude Code")});
    stack->addWidget(provider_, 0, Qt::AlignLeft);

    stack->addWidget(label(QStringLiteral("What was waiting, and what light did you see?"),
                           systemFont(13, QFont::Medium), root));
    details_ = new QPlainTextEdit(root);
    details_->setFont(systemFont(13));
    details_->setFixedSize(contentWidth, 105);
    details_->document()->setDocumentMargin(8);
    details_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    details_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stack->addWidget(details_);

    auto* screenshotRow = new QHBoxLayout;
    screenshotRow->setSpacing(10);
    auto* chooseButton = new QPushButton(QStringLiteral("Choose Screenshot…"), root);
    connect(chooseButton, &QPushButton::clicked, this, &FeedbackWindowController::chooseScreenshot);
    screenshotRow->addWidget(chooseButton);
    screenshotNameLabel_ = label(QString(), systemFont(13), root);
    screenshotNameLabel_->setFixedWidth(screenshotNameWidth);
    useSecondaryColour(screenshotNameLabel_);
    screenshotRow->addWidget(screenshotNameLabel_);
    screenshotRow->addStretch();
    stack->addLayout(screenshotRow);

    screenshotPreview_ = new FeedbackScreenshotPreview(root);
    screenshotPreview_->setFixedSize(previewSize);
    screenshotPreview_->hide();
    stack->addWidget(screenshotPreview_);

    stack->addWidget(
        wrappingLabel(QStringLiteral("Only the details and image you choose are sent. Hide private "
                                     "information in the screenshot first."),
                      systemFont(11), root));

    auto* bottom = new QWidget(root);
    bottom->setFixedWidth(contentWidth);
    auto* bottomRow = new QHBoxLayout(bottom);
    bottomRow->setContentsMargins(0, 0, 0, 0);
    submissionStatus_ = label(QString(), systemFont(13), bottom);
    useSecondaryColour(submissionStatus_);
    bottomRow->addWidget(submissionStatus_);
    bottomRow->addStretch();
    submitButton_ = new QPushButton(QStringLiteral("Send Report"), bottom);
    submitButton_->setDefault(true);
    connect(submitButton_, &QPushButton::clicked, this, &FeedbackWindowController::sendReport);
    bottomRow->addWidget(submitButton_);
    stack->addWidget(bottom);
    stack->addStretch();

    // Return sends the report; in the description it starts a new line, as the text field takes it first.
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(QKeySequence(key), root);
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (submitButton_->isEnabled())
                sendReport();
        });
    }
    setScreenshotName(noScreenshotName);
}

void FeedbackWindowController::showWindow() {
    window_->show();
    window_->raise();
    window_->activateWindow();
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
    QImage preview;
    try {
        const qreal ratio = window_->devicePixelRatioF();
        preview = ScreenshotFile::read(*path).decode(previewSize * ratio);
        preview.setDevicePixelRatio(ratio);
    } catch (const std::exception&) {
        preview = QImage();
    }
    if (preview.isNull()) {
        showFailure(
            QStringLiteral("Choose a PNG, JPEG or HEIC screenshot smaller than 10 MB. Linked files and "
                           "oversized images are not accepted."));
        return;
    }
    screenshotPreview_->setImage(preview);
    screenshotPreview_->show();
    screenshotURL_ = *path;
    setScreenshotName(QString::fromStdString(path->filename().string()));
}

std::optional<PreparedFeedbackScreenshot> FeedbackWindowController::preparedScreenshot() {
    try {
        return FeedbackScreenshotValidator::prepareForUpload(*screenshotURL_);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void FeedbackWindowController::sendReport() {
    if (!screenshotURL_) {
        showFailure(QStringLiteral("Choose a screenshot first."));
        return;
    }
    const auto screenshot = preparedScreenshot();
    if (!screenshot) {
        showFailure(QStringLiteral(
            "The selected screenshot changed or is no longer safe to attach. Choose it again."));
        return;
    }
    const std::string text = details_->toPlainText().toStdString();
    const std::string_view trimmed = Unicode::trimmed(text);
    if (trimmed.empty()) {
        showFailure(QStringLiteral("Describe what was waiting and which light Quorvel showed."));
        return;
    }
    if (Unicode::graphemeCount(trimmed, maximumDetailsCharacters) > maximumDetailsCharacters) {
        showFailure(QStringLiteral("Keep the description under 4,000 characters."));
        return;
    }
    submitButton_->setEnabled(false);
    submissionStatus_->setText(QStringLiteral("Sending…"));
    const QString provider =
        provider_->currentIndex() < 0 ? QStringLiteral("Unknown") : provider_->currentText();
    QPointer<FeedbackWindowController> self(this);
    submitReport_(provider, QString::fromUtf8(trimmed.data(), static_cast<qsizetype>(trimmed.size())),
                  *screenshot, [self](const BugReportResult& result) {
                      if (self)
                          self->finishSending(result);
                  });
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
    submitButton_->setEnabled(true);
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
