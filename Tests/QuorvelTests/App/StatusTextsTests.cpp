#include "App/StatusTexts.h"

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

} // namespace
} // namespace quorvel
