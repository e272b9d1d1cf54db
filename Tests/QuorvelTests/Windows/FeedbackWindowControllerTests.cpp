#include "Fakes/HeldScreenshotWorker.h"
#include "Fakes/RecordingAlerts.h"
#include "Services/TestImages.h"
#include "Support/DarkPalette.h"
#include "Support/EventLoopWait.h"
#include "Support/KeyPress.h"
#include "Support/WrittenFile.h"
#include "TestSupport.h"
#include "Windows/FeedbackScreenshotPreview.h"
#include "Windows/FeedbackWindowController.h"
#include "Windows/TextLabel.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using testing::Alerts;
using testing::TemporaryDirectory;

struct Submission {
    QString provider;
    QString details;
    PreparedFeedbackScreenshot screenshot;
    BugReportCompletion done;
};

const QString failureTitle = "Could not send report";
const QString badScreenshot =
    QStringLiteral("Choose a PNG, JPEG or HEIC screenshot smaller than 10 MB. Linked files "
                   "and oversized images are not accepted.");

class FeedbackWindowControllerTest : public ::testing::Test {
protected:
    TemporaryDirectory folder;
    testing::RecordingAlerts recorder;
    std::vector<testing::RecordingAlerts::Alert>& alerts = recorder.alerts;
    std::vector<Submission> submissions;
    std::optional<std::filesystem::path> nextChoice;
    std::unique_ptr<FeedbackWindowController> controller;
    testing::HeldScreenshotWorker* worker = nullptr;

    void SetUp() override {
        auto heldWorker = std::make_unique<testing::HeldScreenshotWorker>();
        worker = heldWorker.get();
        controller = std::make_unique<FeedbackWindowController>(
            [this](const QString& provider, const QString& details,
                   const PreparedFeedbackScreenshot& screenshot, BugReportCompletion done) {
                submissions.push_back({provider, details, screenshot, std::move(done)});
            },
            recorder, [this](QWidget*) { return nextChoice; }, std::move(heldWorker));
    }

    std::filesystem::path writeImage(const std::string& name, const QByteArray& bytes) const {
        return testing::written(folder / name, bytes);
    }

    std::filesystem::path validScreenshot(const std::string& name = "missed.png") const {
        return writeImage(name, testing::encoded(testing::quarteredImage(QSize(800, 400)), "png"));
    }

    void choose(const std::filesystem::path& path) {
        nextChoice = path;
        controller->chooseScreenshot();
    }

    void fillIn(const QString& details, const std::filesystem::path& screenshot) {
        controller->details()->setPlainText(details);
        choose(screenshot);
    }

    static void pressReturn(QWidget* target) {
        target->setFocus();
        testing::pressKey(target, Qt::Key_Return, Qt::NoModifier, "\r");
    }

    QString lastAlertText() const { return alerts.empty() ? QString() : alerts.back().informative; }
};

TEST_F(FeedbackWindowControllerTest, OpensAsAnEmptyFormWithTheTwoAssistants) {
    EXPECT_EQ(controller->window()->windowTitle(), "Report an issue");
    EXPECT_EQ(controller->window()->size(), QSize(540, 610));
    ASSERT_EQ(controller->provider()->count(), 2);
    EXPECT_EQ(controller->provider()->itemText(0), "Codex");
    EXPECT_EQ(controller->provider()->itemText(1), "Claude Code");
    EXPECT_EQ(controller->screenshotName(), "No screenshot selected");
    EXPECT_TRUE(controller->screenshotPreview()->isHidden());
    EXPECT_EQ(controller->submitButton()->text(), "Send Report");
    EXPECT_TRUE(controller->submissionStatus()->text().isEmpty());
    EXPECT_TRUE(controller->serviceNotice()->isHidden());
    EXPECT_TRUE(controller->submitButton()->isEnabled());

    QStringList texts;
    for (const QLabel* label : controller->window()->findChildren<QLabel*>()) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        texts << label->text();
    }
    EXPECT_TRUE(texts.contains("Show us what Quorvel missed"));
    EXPECT_TRUE(texts.contains("Where did it happen?"));
    EXPECT_TRUE(texts.contains("What was waiting, and what light did you see?"));
    EXPECT_TRUE(texts.contains("1. Leave the Codex or Claude Code question or approval open.\n"
                               "2. Press Print Screen and capture the prompt and its task title.\n"
                               "3. Attach the screenshot and tell us what Quorvel showed instead.\n"
                               "Your report is saved by Nimbrel support and emailed to the support team."));
}

// A window made on a light desktop stays readable when the desktop turns dark.
TEST_F(FeedbackWindowControllerTest, ItsTextsFollowTheDesktopFromLightToDark) {
    controller->showWindow();
    QApplication::processEvents();
    testing::DarkPalette dark;
    for (const TextLabel* label : controller->window()->findChildren<TextLabel*>()) {
        if (label->textColour() == TextColour::systemRed)
            continue;
        const QColor text = label->palette().color(QPalette::WindowText);
        EXPECT_EQ(text.rgb(), testing::DarkPalette::colours().color(QPalette::WindowText).rgb())
            << label->text().toStdString();
    }
    EXPECT_LT(controller->submissionStatus()->palette().color(QPalette::WindowText).alphaF(), 1.0)
        << "the status line stays secondary";
}

TEST_F(FeedbackWindowControllerTest, SendingWithoutAScreenshotAsksForOneAndChecksNothingElse) {
    controller->sendReport();
    EXPECT_EQ(alerts, (Alerts{{failureTitle, "Choose a screenshot first.", AlertStyle::warning}}));
    EXPECT_TRUE(submissions.empty());
}

TEST_F(FeedbackWindowControllerTest, ChoosingAScreenshotShowsItsNameAndPreview) {
    const std::string name = "a-very-long-name-of-a-screenshot-taken-while-the-question-was-waiting.png";
    choose(validScreenshot(name));
    EXPECT_TRUE(alerts.empty());
    EXPECT_EQ(controller->screenshotName(), QString::fromStdString(name));
    EXPECT_TRUE(controller->screenshotNameLabel()->text().contains(u'…')) << "shortened in the middle";
    EXPECT_FALSE(controller->screenshotPreview()->isHidden());
    const QImage preview = controller->screenshotPreview()->image();
    EXPECT_LE(preview.deviceIndependentSize().width(), 484);
    EXPECT_LE(preview.deviceIndependentSize().height(), 90);
    EXPECT_TRUE(testing::isUpright(preview));

    nextChoice.reset(); // cancelled
    controller->chooseScreenshot();
    EXPECT_EQ(controller->screenshotURL(), folder / name);
}

TEST_F(FeedbackWindowControllerTest, AnUnacceptableChoiceKeepsThePreviousScreenshot) {
    const std::filesystem::path accepted = validScreenshot();
    choose(accepted);
    const QImage preview = controller->screenshotPreview()->image();

    std::filesystem::create_symlink(accepted, folder / "link.png");
    for (const auto& path :
         {writeImage("animation.png", testing::gifBytes()), folder / "link.png",
          writeImage("broken.png", testing::pngHeaderOnly(100, 100)), folder / "missing.png"}) {
        alerts.clear();
        choose(path);
        ASSERT_EQ(alerts.size(), 1u) << path;
        EXPECT_EQ(alerts[0].message, failureTitle);
        EXPECT_EQ(alerts[0].informative, badScreenshot);
        EXPECT_EQ(controller->screenshotURL(), accepted);
        EXPECT_EQ(controller->screenshotName(), "missed.png");
        EXPECT_EQ(controller->screenshotPreview()->image(), preview);
    }
}

TEST_F(FeedbackWindowControllerTest, AScreenshotChangedAfterChoosingIsRefused) {
    const std::filesystem::path path = validScreenshot();
    fillIn("Waiting question showed green.", path);
    std::filesystem::remove(path);
    std::filesystem::create_symlink(validScreenshot("other.png"), path);
    controller->sendReport();
    EXPECT_EQ(lastAlertText(),
              "The selected screenshot changed or is no longer safe to attach. Choose it again.");

    std::filesystem::remove(path);
    writeImage("missed.png",
               testing::paddedPng(testing::encoded(testing::quarteredImage(QSize(8, 8)), "png"), 10'000'001));
    controller->sendReport();
    EXPECT_EQ(lastAlertText(),
              "The selected screenshot changed or is no longer safe to attach. Choose it again.");
    EXPECT_TRUE(submissions.empty());
}

TEST_F(FeedbackWindowControllerTest, TheDescriptionMustHoldOneToFourThousandCharacters) {
    choose(validScreenshot());
    controller->details()->setPlainText("  \n\t\n  ");
    controller->sendReport();
    EXPECT_EQ(lastAlertText(), "Describe what was waiting and which light Quorvel showed.");

    QString characters;
    for (int i = 0; i < 4001; ++i)
        characters += "e\u0301"; // one character of two code points
    controller->details()->setPlainText(QStringLiteral("\n ") + characters + QStringLiteral(" \n"));
    controller->sendReport();
    EXPECT_EQ(lastAlertText(), "Keep the description under 4,000 characters.");
    EXPECT_TRUE(submissions.empty());

    characters.chop(2);
    controller->details()->setPlainText(QStringLiteral("\n ") + characters + QStringLiteral(" \n"));
    controller->sendReport();
    ASSERT_EQ(submissions.size(), 1u);
    EXPECT_EQ(submissions[0].details, characters);
}

TEST_F(FeedbackWindowControllerTest, SendsTheChosenAssistantTheTrimmedDescriptionAndThePreparedScreenshot) {
    controller->provider()->setCurrentIndex(1);
    fillIn("\n  The approval stayed amber.  \n", validScreenshot());
    controller->sendReport();
    ASSERT_EQ(submissions.size(), 1u);
    EXPECT_EQ(submissions[0].provider, "Claude Code");
    EXPECT_EQ(submissions[0].details, "The approval stayed amber.");
    EXPECT_EQ(submissions[0].screenshot.fileName, "missed.png");
    EXPECT_EQ(submissions[0].screenshot.contentType, "image/png");
    EXPECT_FALSE(controller->submitButton()->isEnabled());
    EXPECT_EQ(controller->submissionStatus()->text(), "Sending…");
    EXPECT_TRUE(alerts.empty());
}

TEST_F(FeedbackWindowControllerTest, AReceiptThanksTheUserAndEmptiesTheForm) {
    controller->showWindow();
    controller->provider()->setCurrentIndex(1);
    fillIn("Missed question.", validScreenshot());
    controller->sendReport();
    ASSERT_EQ(submissions.size(), 1u);
    submissions[0].done(BugReportReceipt{"R-42", true});

    EXPECT_EQ(alerts,
              (Alerts{{"Thanks for your report",
                       "It has been sent to Nimbrel Support for review.\n\nReference: \u2068R-42\u2069",
                       AlertStyle::informational}}));
    EXPECT_EQ(controller->provider()->currentIndex(), 0);
    EXPECT_TRUE(controller->details()->toPlainText().isEmpty());
    EXPECT_FALSE(controller->screenshotURL());
    EXPECT_EQ(controller->screenshotName(), "No screenshot selected");
    EXPECT_TRUE(controller->screenshotPreview()->isHidden());
    EXPECT_TRUE(controller->screenshotPreview()->image().isNull());
    EXPECT_TRUE(controller->submissionStatus()->text().isEmpty());
    EXPECT_TRUE(controller->serviceNotice()->isHidden());
    EXPECT_TRUE(controller->submitButton()->isEnabled());
    EXPECT_TRUE(controller->submitButton()->isEnabled());
    EXPECT_FALSE(controller->window()->isVisible());
}

TEST_F(FeedbackWindowControllerTest, AReceiptWithoutEmailSaysTheReportWasSaved) {
    fillIn("Missed question.", validScreenshot());
    controller->sendReport();
    ASSERT_EQ(submissions.size(), 1u);
    submissions[0].done(BugReportReceipt{"R-43", false});
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, "Your report has been saved");
    EXPECT_EQ(alerts[0].informative, "Nimbrel Support can still review it, although the email "
                                     "notification was delayed.\n\nReference: \u2068R-43\u2069");
}

TEST_F(FeedbackWindowControllerTest, AFailedSendingKeepsTheFormAndAllowsSendingAgain) {
    const std::filesystem::path screenshot = validScreenshot();
    controller->provider()->setCurrentIndex(1);
    fillIn("Missed question.", screenshot);
    controller->sendReport();
    ASSERT_EQ(submissions.size(), 1u);
    submissions[0].done(BugReportSubmissionError::unavailable());

    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].message, failureTitle);
    EXPECT_EQ(alerts[0].informative, "The report could not be sent. Check your connection and try again.");
    EXPECT_EQ(controller->provider()->currentText(), "Claude Code");
    EXPECT_EQ(controller->details()->toPlainText(), "Missed question.");
    EXPECT_EQ(controller->screenshotURL(), screenshot);
    EXPECT_FALSE(controller->screenshotPreview()->isHidden());
    EXPECT_TRUE(controller->submissionStatus()->text().isEmpty());
    EXPECT_TRUE(controller->serviceNotice()->isHidden());
    EXPECT_TRUE(controller->submitButton()->isEnabled());
    EXPECT_TRUE(controller->submitButton()->isEnabled());

    controller->sendReport();
    EXPECT_EQ(submissions.size(), 2u);
}

TEST_F(FeedbackWindowControllerTest, ReturnSendsTheReportButStartsANewLineInTheDescription) {
    fillIn("Missed question.", validScreenshot());
    controller->showWindow();
    QApplication::setActiveWindow(controller->window());
    pressReturn(controller->details());
    EXPECT_TRUE(submissions.empty());
    EXPECT_EQ(controller->details()->toPlainText().count(u'\n'), 1);

    pressReturn(controller->provider());
    ASSERT_EQ(submissions.size(), 1u);
    pressReturn(controller->provider());
    EXPECT_EQ(submissions.size(), 1u) << "no second report while one is being sent";
}

// Every build without a support service: nobody writes a report that cannot be sent.
TEST_F(FeedbackWindowControllerTest, AServiceThatCannotTakeReportsIsNamedAtOnceAndSendStaysUnavailable) {
    controller->setServiceUnavailable("The Quorvel support service is not configured.");
    controller->showWindow();
    EXPECT_FALSE(controller->serviceNotice()->isHidden());
    EXPECT_EQ(controller->serviceNotice()->text(), "The Quorvel support service is not configured.");
    EXPECT_FALSE(controller->submitButton()->isEnabled());

    fillIn("Missed question.", validScreenshot());
    QApplication::setActiveWindow(controller->window());
    pressReturn(controller->provider());
    controller->submitButton()->click();
    EXPECT_TRUE(submissions.empty());
    EXPECT_FALSE(controller->submitButton()->isEnabled());
    EXPECT_TRUE(alerts.empty());
}

TEST(FeedbackScreenshotDialog, HasAShortTitleOnlyImagesAndRoomForItsColumns) {
    const auto dialog = FeedbackWindowController::screenshotDialog(nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Choose Screenshot");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(dialog->nameFilters(), QStringList{"PNG, JPEG or HEIC images (*.png *.jpg *.jpeg *.heic)"});
    EXPECT_GE(dialog->width(), 700);
    EXPECT_GE(dialog->height(), 450);
}

TEST_F(FeedbackWindowControllerTest, AResultArrivingAfterTheWindowClosedIsStillShown) {
    controller->showWindow();
    fillIn("Missed question.", validScreenshot());
    controller->sendReport();
    controller->window()->close();
    ASSERT_EQ(submissions.size(), 1u);
    submissions[0].done(BugReportSubmissionError::server("Too many reports today."));
    EXPECT_EQ(lastAlertText(), "Too many reports today.");
}

// Checking and preparing a picture take their time off the main thread; the form waits for them.
TEST_F(FeedbackWindowControllerTest, OnlyTheLatestChoiceCountsAndSendingWaitsForThePreparedScreenshot) {
    const std::filesystem::path first = validScreenshot("first.png");
    const std::filesystem::path second = validScreenshot("second.png");
    worker->holding = true;
    choose(first);
    choose(second);
    EXPECT_FALSE(controller->screenshotURL()) << "nothing is taken before its check";
    EXPECT_TRUE(controller->screenshotPreview()->isHidden());
    worker->release();
    EXPECT_EQ(controller->screenshotURL(), second) << "the earlier check arrived late and was dropped";
    EXPECT_EQ(controller->screenshotName(), "second.png");

    controller->details()->setPlainText("Missed question.");
    controller->sendReport();
    EXPECT_FALSE(controller->submitButton()->isEnabled());
    EXPECT_EQ(controller->submissionStatus()->text(), "Sending…");
    controller->details()->setPlainText("Changed after Send.");
    controller->sendReport();
    EXPECT_EQ(worker->held.size(), 1u) << "one preparation at a time";
    worker->release();
    ASSERT_EQ(submissions.size(), 1u);
    EXPECT_EQ(submissions[0].details, "Missed question.");
    EXPECT_EQ(submissions[0].screenshot.fileName, "second.png");

    // A failed preparation ends the sending and lets the user try again.
    submissions[0].done(BugReportSubmissionError::unavailable());
    alerts.clear();
    std::filesystem::remove(second);
    controller->sendReport();
    worker->release();
    EXPECT_EQ(lastAlertText(),
              "The selected screenshot changed or is no longer safe to attach. Choose it again.");
    EXPECT_TRUE(controller->submitButton()->isEnabled());
    EXPECT_TRUE(controller->submissionStatus()->text().isEmpty());
}

// The real worker decodes on a thread of its own and hands the preview back to the main thread.
TEST(FeedbackWindowControllerThreads, TheRealWorkerDeliversOnTheMainThread) {
    TemporaryDirectory folder;
    testing::RecordingAlerts alerts;
    const auto path = testing::written(folder / "shot.png",
                                       testing::encoded(testing::quarteredImage(QSize(800, 400)), "png"));
    FeedbackWindowController controller([](auto&&...) {}, alerts, [&](QWidget*) { return path; });
    controller.chooseScreenshot();
    EXPECT_FALSE(controller.screenshotURL()) << "the check has not run on the main thread";
    ASSERT_TRUE(testing::waitUntil([&] { return controller.screenshotURL().has_value(); }));
    EXPECT_TRUE(testing::isUpright(controller.screenshotPreview()->image()));
    EXPECT_TRUE(alerts.alerts.empty());
}

} // namespace
} // namespace quorvel
