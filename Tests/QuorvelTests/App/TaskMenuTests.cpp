#include "App/MenuIcons.h"
#include "App/TaskMenu.h"
#include "App/TaskMenuStyle.h"
#include "Support/PixelCount.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(TaskMenuChanges, AnOpenMenuIsLaidOutForItsChangedItemsWhenTheChangeEnds) {
    TaskMenu menu;
    QList<QAction*> rows;
    for (int index = 0; index < 4; ++index)
        rows << menu.addAction(QStringLiteral("Row"));
    QAction* hidden = menu.addAction(QStringLiteral("Hidden until the change"));
    hidden->setVisible(false);
    menu.popup(QPoint(10, 10));
    const QSize opened = menu.size();

    menu.changeItems([&] {
        for (QAction* row : rows)
            row->setText(QStringLiteral("A row retitled with a much longer name than before"));
        hidden->setVisible(true);
        EXPECT_EQ(menu.size(), opened);
    });
    EXPECT_GT(menu.width(), opened.width());
    EXPECT_GT(menu.height(), opened.height());
    EXPECT_EQ(menu.size(), menu.sizeHint());

    // Outside a change every item is laid out at once, as QMenu does.
    const QSize grown = menu.size();
    hidden->setVisible(false);
    EXPECT_LT(menu.height(), grown.height());
    menu.hide();
    QCoreApplication::processEvents();
}

// Opened small from a tray in the screen's corner, the menu grows taller than the screen while open: it
// then scrolls in one column, on the screen, and scrolling by mouse reaches its last item. Changes that
// keep its size (a pulsing icon) leave it as it is; shrunk again, it shows everything without scrolling.
TEST(TaskMenuChanges, AMenuTallerThanTheScreenScrollsInOneColumn) {
    TaskMenuStyle style;
    TaskMenu menu;
    menu.setStyle(&style);
    QList<QAction*> rows;
    for (int index = 0; index < 80; ++index) {
        rows << menu.addAction(QStringLiteral("Row %1").arg(index));
        rows.last()->setVisible(index < 5);
    }
    const QRect available = menu.screen()->availableGeometry();
    menu.popup(available.bottomRight() - QPoint(10, 10));
    const int width = menu.width();

    menu.changeItems([&] {
        for (QAction* row : rows)
            row->setVisible(true);
    });
    const QRect grown = menu.geometry();
    EXPECT_TRUE(available.contains(grown)) << grown.y() << " " << grown.height();
    EXPECT_EQ(grown.width(), width);
    EXPECT_GT(menu.actionGeometry(rows.last()).bottom(), grown.height()); // below the visible part

    const int firstRowTop = menu.actionGeometry(rows.first()).top();
    EXPECT_LT(firstRowTop, 40);
    for (int notch = 0; notch < 80; ++notch) {
        const QPointF inside(20, grown.height() / 2);
        QWheelEvent wheel(inside, menu.mapToGlobal(inside), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&menu, &wheel);
    }
    const QRect lastRow = menu.actionGeometry(rows.last());
    EXPECT_LE(lastRow.bottom(), grown.height());

    // A pulse of a row's icon while scrolled to the end changes nothing else.
    rows[40]->setIcon(QIcon(QPixmap(16, 16)));
    EXPECT_EQ(menu.geometry(), grown);
    EXPECT_EQ(menu.actionGeometry(rows.last()), lastRow);

    // Opened again, it scrolls again, from its start.
    const auto scrollToTheEnd = [&] {
        for (int notch = 0; notch < 80; ++notch) {
            const QPointF inside(20, menu.height() / 2);
            QWheelEvent wheel(inside, menu.mapToGlobal(inside), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(&menu, &wheel);
        }
    };
    menu.hide();
    menu.popup(available.bottomRight() - QPoint(10, 10));
    EXPECT_EQ(menu.geometry(), grown);
    EXPECT_EQ(menu.actionGeometry(rows.first()).top(), firstRowTop);
    scrollToTheEnd();
    EXPECT_EQ(menu.actionGeometry(rows.last()), lastRow);

    menu.changeItems([&] {
        for (int index = 5; index < rows.size(); ++index)
            rows[index]->setVisible(false);
    });
    EXPECT_EQ(menu.size(), menu.sizeHint());
    EXPECT_LT(menu.height(), grown.height());
    EXPECT_GE(menu.actionGeometry(rows.first()).top(), 0);
    EXPECT_TRUE(available.contains(menu.geometry()));
    menu.hide();
    QCoreApplication::processEvents();
}

// At worst the highlight is the very blue of an unread row's icon: the icon then sits on a disc of the
// highlighted text's colour, and only in the selected row.
TEST(TaskMenuStyleRows, TheSelectedRowsStateIconStaysVisibleOnTheHighlight) {
    const QColor unreadBlue(0, 122, 255);
    TaskMenuStyle style;
    TaskMenu menu;
    menu.setStyle(&style);
    QPalette palette = menu.palette();
    palette.setColor(QPalette::Window, QColor(200, 200, 200));
    palette.setColor(QPalette::Base, QColor(200, 200, 200));
    palette.setColor(QPalette::Highlight, unreadBlue);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    menu.setPalette(palette);
    QImage stateIcon(18, 18, QImage::Format_ARGB32_Premultiplied); // a ring, as the state icons are
    stateIcon.fill(Qt::transparent);
    QPainter ring(&stateIcon);
    ring.setPen(QPen(unreadBlue, 2));
    ring.drawEllipse(QRectF(2, 2, 14, 14));
    ring.end();
    const QIcon rowIcon =
        TaskMenuStyle::rowIcon(MenuIcons::rowImage(std::nullopt, stateIcon, 1), stateIcon.scaled(16, 16));
    QAction* selected = menu.addAction(rowIcon, QStringLiteral("Selected"));
    QAction* other = menu.addAction(rowIcon, QStringLiteral("Other"));
    menu.popup(QPoint(10, 10));
    menu.setActiveAction(selected);
    const QImage drawn = menu.grab().toImage();
    const auto stateIconArea = [&](QAction* row) {
        const QRect item = menu.actionGeometry(row);
        const int top = item.top() + (item.height() - MenuIcons::rowImageSize.height()) / 2;
        return MenuIcons::stateIconRect.translated(item.left() + TaskMenuStyle::leftMargin, top);
    };
    const auto isWhite = [](const QColor& pixel) { return pixel == QColor(Qt::white); };
    EXPECT_GT(testing::countPixels(drawn, isWhite, stateIconArea(selected)), 100);
    EXPECT_EQ(testing::countPixels(drawn, isWhite, stateIconArea(other)), 0);
    menu.hide();
    QCoreApplication::processEvents();
}

class TaskMenuShortcuts : public ::testing::Test {
protected:
    TaskMenuShortcuts() {
        quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
        sounds->addAction(QStringLiteral("Play sounds"));
        QObject::connect(&menu, &QMenu::aboutToHide, [this] { events << QStringLiteral("closed"); });
        QObject::connect(quit, &QAction::triggered, [this] { events << QStringLiteral("quit"); });
    }
    ~TaskMenuShortcuts() override { QCoreApplication::processEvents(); }

    static void press(QWidget& target, Qt::KeyboardModifiers modifiers, Qt::Key key) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&target, &event);
    }

    TaskMenu menu;
    QAction* quit = menu.addAction(QStringLiteral("Quit Quorvel"));
    TaskMenu* sounds = menu.addSubmenu(QStringLiteral("Sounds"));
    QStringList events;
};

// As choosing the command: the menu closes first, then the command runs.
TEST_F(TaskMenuShortcuts, ACommandsShortcutChoosesItWhileTheMenuIsOpen) {
    menu.popup(QPoint(10, 10));
    press(menu, Qt::ControlModifier, Qt::Key_Q);
    EXPECT_EQ(events, (QStringList{"closed", "quit"}));
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(TaskMenuShortcuts, FromAnOpenSubmenuTooEveryMenuCloses) {
    menu.popup(QPoint(10, 10));
    sounds->popup(QPoint(200, 10));
    press(*sounds, Qt::ControlModifier, Qt::Key_Q);
    EXPECT_EQ(events, (QStringList{"closed", "quit"}));
    EXPECT_FALSE(sounds->isVisible());
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(TaskMenuShortcuts, OtherKeysAndUnavailableCommandsDoNothing) {
    menu.popup(QPoint(10, 10));
    press(menu, Qt::NoModifier, Qt::Key_Q);          // a mnemonic, not the shortcut
    press(menu, Qt::ControlModifier, Qt::Key_Comma); // nobody's shortcut
    quit->setEnabled(false);
    press(menu, Qt::ControlModifier, Qt::Key_Q);
    quit->setEnabled(true);
    quit->setVisible(false);
    press(menu, Qt::ControlModifier, Qt::Key_Q);
    EXPECT_TRUE(events.isEmpty());
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

} // namespace
} // namespace quorvel
