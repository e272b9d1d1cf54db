#include "Platform/ResourceBundle.h"

#include <QFile>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ResourceBundle, TheCompiledInBundleHoldsTheStateIconsAndTheirLicence) {
    const auto& bundle = ResourceBundle::module();
    for (const char* name :
         {"circle-alert", "circle-check", "circle-dot", "circle-x", "circle-question-mark"})
        EXPECT_TRUE(bundle.url(QString::fromLatin1(name), "png", "Lucide")) << name;
    EXPECT_TRUE(bundle.url("circle-ellipsis", "svg", "Lucide"));
    const auto licence = bundle.url("LICENSE", QString(), "Lucide");
    ASSERT_TRUE(licence);
    QFile file(*licence);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("ISC License"));
}

TEST(ResourceBundle, AMissingResourceIsNone) {
    const auto& bundle = ResourceBundle::module();
    EXPECT_FALSE(bundle.url("circle-alert", "svg", "Lucide"));
    EXPECT_FALSE(bundle.url("LICENSE", QString()));
    EXPECT_FALSE(bundle.url("Lucide", QString()));
}

} // namespace
} // namespace quorvel
