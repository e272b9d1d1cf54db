#include "Model/StatusError.h"
#include "Services/FeedbackScreenshotValidator.h"
#include "Services/TestImages.h"
#include "Support/WrittenFile.h"
#include "TestSupport.h"

#include <QImageReader>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>

namespace quorvel {
namespace {

using testing::TemporaryDirectory;
namespace Validator = FeedbackScreenshotValidator;

class FeedbackScreenshotValidatorTest : public ::testing::Test {
protected:
    TemporaryDirectory folder;

    std::filesystem::path file(const std::string& name, const QByteArray& bytes) const {
        return testing::written(folder / name, bytes);
    }

    static QByteArray smallPng() { return testing::encoded(testing::quarteredImage(QSize(40, 20)), "png"); }
};

bool isRejected(const std::filesystem::path& path) {
    try {
        Validator::validate(path);
    } catch (const StatusError& error) {
        return error == StatusError::invalidRecord();
    }
    return false;
}

QImage decoded(const PreparedFeedbackScreenshot& screenshot) {
    QImage image;
    image.loadFromData(screenshot.data);
    return image;
}

TEST_F(FeedbackScreenshotValidatorTest, APngAtTheUploadLimitIsSentAsItIsAndOneByteMoreBecomesJpeg) {
    const QByteArray png = testing::encoded(testing::quarteredImage(QSize(3000, 1500)), "png");
    const QByteArray atLimit = testing::paddedPng(png, Validator::maximumUploadBytes);
    const auto unchanged = Validator::prepareForUpload(file("limit.png", atLimit));
    EXPECT_EQ(unchanged, (PreparedFeedbackScreenshot{atLimit, "limit.png", "image/png"}));

    const auto reencoded = Validator::prepareForUpload(
        file("over.png", testing::paddedPng(png, Validator::maximumUploadBytes + 1)));
    EXPECT_EQ(reencoded.fileName, "over.jpg");
    EXPECT_EQ(reencoded.contentType, "image/jpeg");
    EXPECT_LE(reencoded.data.size(), Validator::maximumUploadBytes);
    EXPECT_EQ(testing::jpegLuminanceQuantizer(reencoded.data), 6) << "quality 0.82";
    const QImage image = decoded(reencoded);
    EXPECT_EQ(image.size(), QSize(2400, 1200));
    EXPECT_TRUE(testing::isUpright(image));
}

TEST_F(FeedbackScreenshotValidatorTest, TheFileMustHoldOneToTenMillionBytes) {
    const QByteArray png = smallPng();
    EXPECT_TRUE(isRejected(file("empty.png", {})));
    EXPECT_TRUE(isRejected(file("huge.png", testing::paddedPng(png, 10'000'001))));
    EXPECT_NO_THROW(Validator::validate(file("largest.png", testing::paddedPng(png, 10'000'000))));
    EXPECT_NO_THROW(Validator::validate(file("small.png", png)));
}

TEST_F(FeedbackScreenshotValidatorTest, EachSideMayHaveUpToTwelveThousandPixels) {
    EXPECT_NO_THROW(Validator::validate(file("square.png", testing::pngHeaderOnly(12'000, 12'000))));
    EXPECT_TRUE(isRejected(file("wide.png", testing::pngHeaderOnly(12'001, 10))));
    EXPECT_TRUE(isRejected(file("tall.png", testing::pngHeaderOnly(10, 12'001))));
    EXPECT_TRUE(isRejected(file("none.png", testing::pngHeaderOnly(0, 10))));
}

TEST_F(FeedbackScreenshotValidatorTest, TheTypeComesFromTheContentNeverTheName) {
    const QImage picture = testing::quarteredImage(QSize(40, 20));
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("tiff")) << "qt6-image-formats-plugins";
    EXPECT_TRUE(isRejected(file("animation.png", testing::gifBytes())));
    EXPECT_TRUE(isRejected(file("scan.png", testing::encoded(picture, "tiff"))));
    EXPECT_TRUE(isRejected(file("photo.png", testing::encoded(picture, "webp"))));
    EXPECT_TRUE(isRejected(file("bitmap.png", testing::encoded(picture, "bmp"))));
    EXPECT_TRUE(isRejected(file("text.png", "just some words, not an image at all")));

    const QByteArray png = smallPng();
    EXPECT_EQ(Validator::prepareForUpload(file("shot.gif", png)),
              (PreparedFeedbackScreenshot{png, "shot.png", "image/png"}));
    const QByteArray jpeg = testing::encoded(picture, "jpeg");
    EXPECT_EQ(Validator::prepareForUpload(file("shot.png", jpeg)),
              (PreparedFeedbackScreenshot{jpeg, "shot.jpg", "image/jpeg"}));
    const QByteArray heic = testing::heicBytes(picture, 1);
    EXPECT_EQ(Validator::prepareForUpload(file("shot.jpeg", heic)),
              (PreparedFeedbackScreenshot{heic, "shot.heic", "image/heic"}));
}

TEST_F(FeedbackScreenshotValidatorTest, OnlyARegularFileThatIsNoLinkIsRead) {
    const std::filesystem::path target = file("real.png", smallPng());
    std::filesystem::create_symlink(target, folder / "link.png");
    EXPECT_TRUE(isRejected(folder / "link.png"));
    EXPECT_THROW(Validator::prepareForUpload(folder / "link.png"), StatusError);

    std::filesystem::create_directory(folder / "folder.png");
    EXPECT_TRUE(isRejected(folder / "folder.png"));
    // A named pipe with no writer would block a plain open: it is refused at once.
    ASSERT_EQ(::mkfifo((folder / "pipe.png").c_str(), 0600), 0);
    EXPECT_TRUE(isRejected(folder / "pipe.png"));
    EXPECT_THROW(Validator::validate(folder / "missing.png"), std::system_error);
}

TEST_F(FeedbackScreenshotValidatorTest, TheNameKeepsItsFirstEightyCharacters) {
    const std::string stem(100, 's');
    EXPECT_EQ(Validator::prepareForUpload(file(stem + ".png", smallPng())).fileName,
              QString::fromStdString(stem.substr(0, 80)) + ".png");
    const QString accented = QString(90, u'\u00e9');
    EXPECT_EQ(Validator::prepareForUpload(file(accented.toStdString() + ".png", smallPng())).fileName,
              accented.left(80) + ".png");
    EXPECT_EQ(Validator::prepareForUpload(file("release.v2.final.png", smallPng())).fileName,
              "release.v2.final.png");
}

TEST_F(FeedbackScreenshotValidatorTest, AFileSwappedAfterItsCheckIsRefusedAtSending) {
    const std::filesystem::path path = file("shot.png", smallPng());
    Validator::validate(path);
    const std::filesystem::path elsewhere = file("elsewhere.png", smallPng());
    std::filesystem::remove(path);
    std::filesystem::create_symlink(elsewhere, path);
    EXPECT_THROW(Validator::prepareForUpload(path), StatusError);

    std::filesystem::remove(path);
    file("shot.png", testing::paddedPng(smallPng(), 10'000'001));
    EXPECT_THROW(Validator::prepareForUpload(path), StatusError);
}

TEST_F(FeedbackScreenshotValidatorTest, ALargeHeicPhotoIsSentUprightAsJpeg) {
    const QImage upright = testing::quarteredImage(QSize(2000, 3000));
    const QByteArray heic = testing::heicBytes(testing::storedForOrientation(upright, 6), 6);
    const auto prepared =
        Validator::prepareForUpload(file("IMG_0001.HEIC", testing::paddedHeic(heic, 3'000'000)));
    EXPECT_EQ(prepared.contentType, "image/jpeg");
    EXPECT_EQ(prepared.fileName, "IMG_0001.jpg");
    const QImage image = decoded(prepared);
    EXPECT_EQ(image.size(), QSize(1600, 2400));
    EXPECT_TRUE(testing::isUpright(image));
}

TEST_F(FeedbackScreenshotValidatorTest, ALargeJpegIsTurnedByItsOrientationBeforeScaling) {
    const QImage upright = testing::quarteredImage(QSize(3000, 4000));
    const QByteArray jpeg =
        testing::withExifOrientation(testing::encoded(testing::storedForOrientation(upright, 8), "jpeg"), 8);
    const auto prepared =
        Validator::prepareForUpload(file("turned.jpg", testing::paddedJpeg(jpeg, 2'600'000)));
    const QImage image = decoded(prepared);
    EXPECT_EQ(image.size(), QSize(1800, 2400));
    EXPECT_TRUE(testing::isUpright(image));
}

TEST_F(FeedbackScreenshotValidatorTest, LowersTheJpegQualityUntilTheImageFits) {
    // Fine noise that does not fit at the first quality.
    const QByteArray noise = testing::encoded(testing::noiseImage(QSize(2400, 2400), 200), "jpeg", 100);
    ASSERT_GT(testing::encoded(testing::noiseImage(QSize(2400, 2400), 200), "jpeg", 82).size(),
              Validator::maximumUploadBytes);
    const auto prepared = Validator::prepareForUpload(file("noise.jpg", noise));
    EXPECT_LE(prepared.data.size(), Validator::maximumUploadBytes);
    const int firstQuantizer = testing::jpegLuminanceQuantizer(prepared.data);
    EXPECT_TRUE(firstQuantizer == 10 || firstQuantizer == 15 || firstQuantizer == 20) << firstQuantizer;
}

TEST_F(FeedbackScreenshotValidatorTest, AnImageThatCannotBeDecodedIsNotSentWhenItMustBeScaled) {
    const QByteArray broken = testing::paddedPng(testing::pngHeaderOnly(3000, 3000), 3'000'000);
    EXPECT_NO_THROW(Validator::validate(file("broken.png", broken)));
    EXPECT_THROW(Validator::prepareForUpload(folder / "broken.png"), StatusError);
}

} // namespace
} // namespace quorvel
