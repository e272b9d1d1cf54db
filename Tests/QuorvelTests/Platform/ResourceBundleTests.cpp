#include "Platform/ResourceBundle.h"

#include <QFile>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ResourceBundle, TheCompiledInBundleHoldsTheStateIconsAndTheirLicence) {
    const auto& bundle = ResourceBundle::module();
    for (const char* name :
         {"circle-alert", "circle-check", "circle-dot", "circle-x", "circle-question-mark"})
        EXPECT_TRUE(bundle.url(QString::fromLatin1(name), QStringLiteral("png"), QStringLiteral("Lucide")))
            << name;
    EXPECT_TRUE(
        bundle.url(QStringLiteral("circle-ellipsis"), QStringLiteral("svg"), QStringLiteral("Lucide")));
    const auto licence = bundle.url(QStringLiteral("LICENSE"), QString(), QStringLiteral("Lucide"));
    ASSERT_TRUE(licence);
    QFile file(*licence);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("ISC License"));
}

TEST(ResourceBundle, AMissingResourceIsNone) {
    const auto& bundle = ResourceBundle::module();
    EXPECT_FALSE(bundle.url(QStringLiteral("circle-alert"), QStringLiteral("svg"), QStringLiteral("Lucide")));
    EXPECT_FALSE(bundle.url(QStringLiteral("LICENSE"), QString()));
    EXPECT_FALSE(bundle.url(QStringLiteral("Lucide"), QString()));
}

} // namespace
} // namespace quorvel
