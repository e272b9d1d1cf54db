#include "App/StatusTexts.h"
#include "Model/TaskStatus.h"

#include <QFont>
#include <QFontMetrics>
#include <QStringList>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

using StatusTexts::MenuHost;

// What a host shows of a label where `marker` marks a mnemonic and a doubled marker is the character.
QString shownWithMnemonics(const QString& label, QChar marker) {
    QString shown;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] != marker) {
            shown += label[i];
        } else if (i + 1 < label.size() && label[i + 1] == marker) {
            shown += marker;
            ++i;
        }
    }
    return shown;
}

// Qt's dbusmenu export: the first "&" that is not the last character becomes "_".
QString exportedLabel(const QString& text) {
    QString label = text;
    const qsizetype ampersand = label.indexOf(u'&');
    if (ampersand >= 0 && ampersand < label.size() - 1)
        label[ampersand] = u'_';
    return label;
}

const QStringList awkwardNames{
    "fix_bug",
    "fix_bug & ship_it",
    "R&D_notes",
    "a & b & c",
    "trailing &",
    "&",
    "__init__.py",
    "_&_",
    "&&&",
    "plain",
    "",
    "x_",
    "snake_case_&",
    "Tom & Jerry_2 &_ end",
};

TEST(MenuText, ADBusHostShowsEveryNameExactly) {
    for (const QString& name : awkwardNames) {
        const QString label = exportedLabel(StatusTexts::menuText(name, MenuHost::dbusMenu));
        EXPECT_EQ(shownWithMnemonics(label, u'_'), name) << label.toStdString();
    }
}

TEST(MenuText, QtShowsEveryNameExactlyAndLeavesUnderscoresAlone) {
    for (const QString& name : awkwardNames)
        EXPECT_EQ(shownWithMnemonics(StatusTexts::menuText(name, MenuHost::qt), u'&'), name);
    EXPECT_EQ(StatusTexts::menuText("fix_bug & go", MenuHost::qt), "fix_bug && go");
}

TEST(MenuText, TheExportedLabelIsDbusMenusOwnEscapeWhereverAnUnderscoreComesFirst) {
    const auto label = [](const char* name) {
        return exportedLabel(StatusTexts::menuText(QString::fromUtf8(name), MenuHost::dbusMenu));
    };
    EXPECT_EQ(label("fix_bug"), "fix__bug");
    EXPECT_EQ(label("fix_bug & ship_it"), "fix__bug & ship__it");
    // With no underscore before it, the first "&" can only be the item's mnemonic.
    EXPECT_EQ(label("R&D_notes"), "R_&D__notes");
}

TEST(MenuText, LineBreaksAndTabsBecomeSpacesOnBothHosts) {
    for (MenuHost host : {MenuHost::qt, MenuHost::dbusMenu})
        EXPECT_EQ(StatusTexts::menuText("one\ntwo\tthree\r\u2028four", host), "one two three  four");
}

TEST(MenuText, TaskTitlesAreCutBeforeTheyAreEscaped) {
    const std::string name = std::string(89, 'a') + "_tail";
    EXPECT_EQ(StatusTexts::taskTitle(name, MenuHost::dbusMenu), QString(89, u'a') + QStringLiteral("__"));
    EXPECT_EQ(StatusTexts::taskTitle(name, MenuHost::qt), QString(89, u'a') + QStringLiteral("_"));
}

TaskStatus taskInProject(std::optional<std::string> project) {
    TaskStatus task = TaskStatus::make("local-1", "Task", LightState::working, Date{0}, "local");
    task.projectName = std::move(project);
    return task;
}

// A project name is cut like a title, and set apart so that its direction cannot turn our words.
TEST(RowDetail, TheProjectIsCutAndIsolated) {
    const QString fsi(QChar(0x2068)), pdi(QChar(0x2069));
    const auto detail = [](std::optional<std::string> project) {
        return StatusTexts::rowDetail(taskInProject(std::move(project)), LightState::working);
    };
    EXPECT_EQ(detail(std::string(200, 'p')),
              fsi + QString(90, u'p') + pdi + QStringLiteral(" \u00B7 Working"));
    EXPECT_EQ(detail("\u202Eniamod"),
              fsi + QStringLiteral("\u202Eniamod") + pdi + QStringLiteral(" \u00B7 Working"));
    // Characters, not bytes or code units, are counted; the name is trimmed first.
    EXPECT_EQ(detail("  app \t"), fsi + QStringLiteral("app") + pdi + QStringLiteral(" \u00B7 Working"));
    EXPECT_EQ(detail(std::string(95, 'e') + "\u0301\u0301"),
              fsi + QString(90, u'e') + pdi + QStringLiteral(" \u00B7 Working"));
    EXPECT_EQ(detail(" \n "), "Working");
    EXPECT_EQ(detail(std::nullopt), "Working");
    // The marks take no room where Qt draws the menu.
    const QFontMetrics metrics{QFont()};
    EXPECT_EQ(metrics.horizontalAdvance(detail("app")), metrics.horizontalAdvance("app \u00B7 Working"));
}

} // namespace
} // namespace quorvel
