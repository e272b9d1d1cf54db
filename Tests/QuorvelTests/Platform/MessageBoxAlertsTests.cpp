#include "Platform/AlertPresenter.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

QMessageBox* shownBox() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
            return box;
    return nullptr;
}

// The caller (a menu's action, a network reply) goes on at once; the alert stays open without an event
// loop of its own, blocks the other windows, and is gone once the user closes it.
TEST(MessageBoxAlerts, ShowReturnsAtOnceAndTellsWhenTheUserClosedTheAlert) {
    MessageBoxAlerts alerts;
    int dismissed = 0;
    alerts.show("Could not open Orca", "<b>not</b> bold", AlertStyle::warning, [&] { ++dismissed; });
    QPointer<QMessageBox> box = shownBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->text(), "Could not open Orca");
    EXPECT_EQ(box->informativeText(), "<b>not</b> bold");
    for (const QLabel* label : box->findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(dismissed, 0);

    box->button(QMessageBox::Ok)->click();
    EXPECT_EQ(dismissed, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(box);

    alerts.show("Quorvel is up to date", "Version 1.0", AlertStyle::informational);
    box = shownBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    box->reject(); // Escape or the window's close button
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(box);
}

} // namespace
} // namespace quorvel
