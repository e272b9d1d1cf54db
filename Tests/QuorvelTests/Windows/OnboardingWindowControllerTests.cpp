#include "Login/LaunchAtLoginError.h"
#include "Platform/ResourceBundle.h"
#include "Windows/IntegrationSetupError.h"
#include "Windows/OnboardingWindowController.h"
#include "Windows/PageTransition.h"
#include "Windows/ScaledImageView.h"
#include "Windows/TextLabel.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

struct Selection {
    bool codex, claude, launchAtLogin;
    bool operator==(const Selection&) const = default;
};

class OnboardingWindow : public ::testing::Test {
protected:
    void SetUp() override {
        controller.prepare(true, false, true);
        controller.showWindow();
    }
    void TearDown() override { controller.window()->close(); }

    // Moves on without waiting for the slides.
    void forward(int times = 1) {
        for (int step = 0; step < times; ++step) {
            controller.goForward();
            controller.finishSliding();
        }
    }
    void back() {
        controller.goBack();
        controller.finishSliding();
    }
    QStringList pageTexts() const {
        QStringList texts;
        for (auto* label : controller.currentPage()->findChildren<QLabel*>())
            texts << label->text();
        return texts;
    }

    std::vector<Selection> applied;
    std::exception_ptr failure;
    int finished = 0;
    int loginItemsOpened = 0;
    OnboardingWindowController controller{ResourceBundle::module(),
                                          [this](bool codex, bool claude, bool launch) {
                                              applied.push_back({codex, claude, launch});
                                              if (failure)
                                                  std::rethrow_exception(failure);
                                          },
                                          [this] { ++finished; }, [this] { ++loginItemsOpened; }};
};

TEST_F(OnboardingWindow, TheFirstPageHasNoBackButtonAndCountsOneOfSix) {
    EXPECT_EQ(controller.window()->windowTitle(), "Welcome to Quorvel");
    EXPECT_EQ(controller.journey().step, OnboardingStep::why);
    EXPECT_TRUE(controller.backButton()->isHidden());
    EXPECT_EQ(controller.pageIndicator()->text(), "1 OF 6");
    EXPECT_EQ(controller.pageIndicator()->accessibleName(), "Onboarding progress");
    EXPECT_EQ(controller.nextButton()->text(), "Continue");
    EXPECT_EQ(controller.nextButton()->accessibleName(), "Continue onboarding");
    EXPECT_TRUE(pageTexts().contains("Your AI agents are waiting on you."));
    auto* illustration = controller.currentPage()->findChild<ScaledImageView*>();
    ASSERT_TRUE(illustration);
    EXPECT_FALSE(illustration->image().isNull());
    EXPECT_EQ(illustration->size(), QSize(580, 265));
}

// The objects of an accessible tree, depth first.
QList<QObject*> accessibleObjects(QAccessibleInterface* node) {
    QList<QObject*> objects{node->object()};
    for (int index = 0; index < node->childCount(); ++index)
        objects << accessibleObjects(node->child(index));
    return objects;
}

TEST_F(OnboardingWindow, AssistiveToolsReadEveryPageButNotItsIllustration) {
    int illustrated = 0;
    for (int page = 0; page < 6; ++page) {
        const QList<QObject*> tree =
            accessibleObjects(QAccessible::queryAccessibleInterface(controller.window()));
        if (controller.currentPage()->findChild<ScaledImageView*>())
            ++illustrated;
        for (QObject* object : tree)
            EXPECT_EQ(qobject_cast<ScaledImageView*>(object), nullptr) << "page " << page + 1;
        for (QLabel* label : controller.currentPage()->findChildren<QLabel*>())
            EXPECT_TRUE(tree.contains(label)) << label->text().toStdString();
        EXPECT_TRUE(tree.contains(controller.nextButton()));
        forward();
    }
    EXPECT_EQ(illustrated, 4);
}

TEST_F(OnboardingWindow, EveryPageHasItsTitleIndicatorAndButtons) {
    const char* titles[] = {"Your AI agents are waiting on you.", "Know what needs you.",
                            "Find your way back in one click.", "Can't see Quorvel?"};
    for (int page = 0; page < 4; ++page) {
        EXPECT_TRUE(pageTexts().contains(QString::fromUtf8(titles[page]))) << titles[page];
        EXPECT_EQ(controller.pageIndicator()->text(), QStringLiteral("%1 OF 6").arg(page + 1));
        forward();
    }
    EXPECT_EQ(controller.journey().step, OnboardingStep::connect);
    EXPECT_FALSE(controller.backButton()->isHidden());
    EXPECT_TRUE(pageTexts().contains("Connect your coding assistants."));
    EXPECT_EQ(controller.codexCheckbox()->window(), controller.window());
    EXPECT_TRUE(controller.codexCheckbox()->isChecked());
    EXPECT_FALSE(controller.claudeCheckbox()->isChecked());
    EXPECT_TRUE(controller.loginCheckbox()->isChecked());
}

TEST_F(OnboardingWindow, TheFindPageShowsTheShortcutOnKeycapsAndTheReadyPageNamesIt) {
    forward(3);
    const QStringList texts = pageTexts();
    EXPECT_EQ(texts.mid(0, 4), (QStringList{"Alt", "Super", "L", "Alt + Super + L"}));
    EXPECT_TRUE(texts.contains("If the icon gets lost in a crowded panel, press Alt+Super+L to open "
                               "Quorvel. When you can see the "
                               "icon, set the tray to always show it to keep it easy to find."));
    QStringList spoken;
    for (const QWidget* widget : controller.currentPage()->findChildren<QWidget*>())
        if (!widget->accessibleName().isEmpty())
            spoken << widget->accessibleName();
    EXPECT_EQ(spoken, QStringList{"Alt Super L"}) << "the keycaps are read as one";
    EXPECT_TRUE(controller.currentPage()->findChildren<ScaledImageView*>().isEmpty());

    forward(2);
    EXPECT_TRUE(
        pageTexts().contains("Quorvel lives in your tray. Press Alt+Super+L whenever you need to find it."));
}

// A session that did not let the application have the shortcut (every Wayland session).
TEST_F(OnboardingWindow, WithoutTheShortcutNoPageOffersIt) {
    controller.prepare(true, false, true, false);
    QStringList texts;
    for (int page = 0; page < 6; ++page) {
        texts << pageTexts();
        forward();
    }
    EXPECT_FALSE(texts.join(u'\n').contains("Alt")) << texts.join(u'\n').toStdString();
    EXPECT_TRUE(texts.contains(
        "If the icon gets lost in a crowded panel, look for it among the tray\u2019s "
        "hidden icons. To open Quorvel with a key, bind one to the command \u201cquorvel\u201d "
        "in your desktop\u2019s keyboard settings. When you can see the icon, set the tray to always show it "
        "to keep it easy to find."));
    EXPECT_TRUE(texts.contains("Quorvel lives in your tray."));

    controller.prepare(true, false, true, true);
    forward(3);
    EXPECT_TRUE(pageTexts().contains("Alt + Super + L")) << "the next showing asks again";
}

TEST_F(OnboardingWindow, ContinueOnTheConnectPageWithNoAssistantShowsTheErrorAndStays) {
    forward(4);
    controller.codexCheckbox()->setChecked(false);
    failure = std::make_exception_ptr(IntegrationSetupError::providerRequired());
    controller.goForward();
    EXPECT_EQ(applied, (std::vector<Selection>{{false, false, true}}));
    EXPECT_EQ(controller.journey().step, OnboardingStep::connect);
    EXPECT_FALSE(controller.journey().configurationSaved);
    EXPECT_FALSE(controller.errorLabel()->isHidden());
    EXPECT_EQ(controller.errorLabel()->text(), "Choose Codex, Claude Code, or both.");
    EXPECT_TRUE(controller.loginItemsButton()->isHidden());
    EXPECT_EQ(controller.pageIndicator()->text(), "5 OF 6");
}

TEST_F(OnboardingWindow, AnApprovalFailureOffersTheLoginItemsUntilThePageChanges) {
    forward(4);
    failure = std::make_exception_ptr(LaunchAtLoginError::needsApproval());
    controller.goForward();
    ASSERT_FALSE(controller.loginItemsButton()->isHidden());
    controller.loginItemsButton()->click();
    EXPECT_EQ(loginItemsOpened, 1);
    back();
    EXPECT_TRUE(controller.errorLabel()->isHidden());
    EXPECT_TRUE(controller.loginItemsButton()->isHidden());
}

TEST_F(OnboardingWindow, GoingBackFromTheConnectPageDiscardsUnappliedChanges) {
    forward(4);
    controller.claudeCheckbox()->setChecked(true);
    controller.loginCheckbox()->setChecked(false);
    back();
    forward();
    EXPECT_TRUE(applied.empty());
    EXPECT_TRUE(controller.codexCheckbox()->isChecked());
    EXPECT_FALSE(controller.claudeCheckbox()->isChecked());
    EXPECT_TRUE(controller.loginCheckbox()->isChecked());
}

TEST_F(OnboardingWindow, AfterApplyingTheSummaryNamesTheChoiceAndFinishCloses) {
    forward(4);
    controller.claudeCheckbox()->setChecked(true);
    forward();
    EXPECT_EQ(applied, (std::vector<Selection>{{true, true, true}}));
    EXPECT_EQ(controller.journey().step, OnboardingStep::ready);
    EXPECT_TRUE(pageTexts().contains("Connected: Codex + Claude Code   \u00b7   Launch at login: On"));
    EXPECT_EQ(controller.nextButton()->text(), "Finish");
    EXPECT_EQ(controller.nextButton()->accessibleName(), "Finish onboarding");
    EXPECT_EQ(controller.pageIndicator()->text(), "6 OF 6");

    controller.goForward();
    EXPECT_EQ(finished, 1);
    EXPECT_FALSE(controller.window()->isVisible());
}

TEST_F(OnboardingWindow, BackFromTheLastPageReturnsToConnectWhoseContinueAppliesAgain) {
    forward(4);
    forward();
    back();
    EXPECT_EQ(controller.journey().step, OnboardingStep::connect);
    controller.loginCheckbox()->setChecked(false);
    forward();
    EXPECT_EQ(applied, (std::vector<Selection>{{true, false, true}, {true, false, false}}));
    EXPECT_TRUE(pageTexts().contains("Connected: Codex   \u00b7   Launch at login: Off"));
    EXPECT_EQ(finished, 0);
}

TEST_F(OnboardingWindow, ReturnGoesOnAndEachShowingStartsAgainWithTheGivenChoice) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(controller.window(), &press);
    controller.finishSliding();
    EXPECT_EQ(controller.journey().step, OnboardingStep::what);

    controller.prepare(false, true, false);
    EXPECT_EQ(controller.journey(), OnboardingJourney{});
    EXPECT_EQ(controller.pageIndicator()->text(), "1 OF 6");
    forward(4);
    EXPECT_FALSE(controller.codexCheckbox()->isChecked());
    EXPECT_TRUE(controller.claudeCheckbox()->isChecked());
    EXPECT_FALSE(controller.loginCheckbox()->isChecked());
}

TEST_F(OnboardingWindow, PagesSlideInAndTheOldPageFadesOutAndGoes) {
    QPointer<QWidget> first = controller.currentPage();
    controller.goForward();
    ASSERT_TRUE(controller.isSliding());
    QWidget* second = controller.currentPage();
    EXPECT_NE(second, first.data());
    EXPECT_GT(second->x(), 0) << "going forward the new page comes from the right";
    ASSERT_TRUE(first);
    EXPECT_TRUE(qobject_cast<QGraphicsOpacityEffect*>(first->graphicsEffect()));

    QElapsedTimer timer;
    timer.start();
    while (controller.isSliding() && timer.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(controller.isSliding());
    EXPECT_GE(timer.elapsed(), PageTransition::durationMilliseconds - 50);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(second->geometry(), controller.contentHost()->rect());

    controller.goBack();
    EXPECT_LT(controller.currentPage()->x(), 0) << "going back the new page comes from the left";
}

TEST_F(OnboardingWindow, TheConnectCardHoldsItsChoices14ApartCentredAndInset20) {
    forward(4);
    QApplication::processEvents();
    QWidget* card = controller.codexCheckbox()->parentWidget();
    ASSERT_EQ(card->size(), QSize(500, 156));
    const QRect codex = controller.codexCheckbox()->geometry();
    const QRect claude = controller.claudeCheckbox()->geometry();
    const QRect login = controller.loginCheckbox()->geometry();
    EXPECT_EQ(claude.top() - codex.bottom() - 1, 14);
    EXPECT_EQ(login.top() - claude.bottom() - 1, 14);
    EXPECT_LE(std::abs(codex.top() - (card->height() - login.bottom() - 1)), 1) << "centred";
    for (const QRect& box : {codex, claude, login})
        EXPECT_EQ(box.left(), 20);
}

TEST_F(OnboardingWindow, TheCheckBoxesOutliveTheConnectPages) {
    forward(4);
    forward();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    back();
    back();
    back();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    controller.codexCheckbox()->setChecked(false);
    EXPECT_FALSE(controller.codexCheckbox()->isChecked());
    forward(2);
    EXPECT_TRUE(controller.codexCheckbox()->isVisibleTo(controller.window()));
}

} // namespace
} // namespace quorvel
