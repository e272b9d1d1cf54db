#include "App/TaskMenu.h"

#include <QAction>
#include <QCoreApplication>
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

} // namespace
} // namespace quorvel
