// Checks, previews and prepares large screenshots for an issue report as the report window does, and
// prints for each the time and the peak resident memory of that work (target: under 600 MB for every
// file the screenshot rules accept) and the longest stall of the window's event loop while the real
// window checks and sends it (target: under 100 ms). Each measurement runs in a child process of its
// own, so its peak is its own; the floor is a child that only reads and identifies the same file.
//
// The files are made here: a busy 12,000 x 8,000 PNG of just under 10 MB; a flat 12,000 x 12,000 PNG
// at 16 bits per channel of about 1.1 MB (1.15 GB once decoded); a 12,000 x 12,000 HEIC of a few tens
// of kB; and a 12,000 x 12,000 progressive JPEG without chroma subsampling.
#include "Platform/AlertPresenter.h"
#include "Platform/ScreenshotWorker.h"
#include "Services/FeedbackScreenshotValidator.h"
#include "Services/ScreenshotFile.h"
#include "Services/TestImages.h"
#include "Windows/FeedbackWindowController.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QPlainTextEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <libheif/heif.h>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr double memoryTargetMegabytes = 600;
constexpr double stallTargetMilliseconds = 100;

struct Measurement {
    double seconds = 0;
    long long outputBytes = 0;
    double longestStallMilliseconds = 0;
    double peakMegabytes = 0;
};

// Runs `work` in a child process; the child reports its own time and result through a pipe, and the
// parent takes the child's peak resident memory from wait4.
Measurement inChild(const std::function<Measurement()>& work) {
    int channel[2];
    if (::pipe(channel) != 0)
        std::exit(2);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        int argc = 1;
        char name[] = "feedback-screenshot-bench";
        char* argv[] = {name, nullptr};
        QApplication application(argc, argv);
        const auto start = std::chrono::steady_clock::now();
        Measurement result = work();
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (::write(channel[1], &result, sizeof result) != static_cast<ssize_t>(sizeof result))
            ::_exit(2);
        ::_exit(0);
    }
    ::close(channel[1]);
    Measurement result;
    const bool received = ::read(channel[0], &result, sizeof result) == static_cast<ssize_t>(sizeof result);
    ::close(channel[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!received || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "feedback-screenshot-bench: a measurement failed\n");
        std::exit(2);
    }
    result.peakMegabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return result;
}

void save(const fs::path& path, const QByteArray& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.constData(), bytes.size());
}

// A dark window-like picture with bands of noise, so that it compresses like a busy screenshot.
QImage busyPicture(int width, int height, int noisyRows) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> grey(0, 255);
    const int every = std::max(1, height / std::max(1, noisyRows));
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const bool noisy = y % every == 0;
        for (int x = 0; x < width; ++x) {
            const int g = noisy ? grey(random) : 40 + (x / 400) % 8;
            line[x] = qRgb(g, g, std::min(255, g + 12));
        }
    }
    return image;
}

void makeBusyPng(const fs::path& path) {
    constexpr int width = 12'000, height = 8'000;
    constexpr qsizetype fileBytes = 9'999'000;
    // Aim the noise at about 9.5 MB of PNG, then pad to the exact size.
    const qsizetype probe = quorvel::testing::encoded(busyPicture(width, height, 100), "png").size();
    int rows = static_cast<int>(100.0 * 9'500'000.0 / static_cast<double>(std::max<qsizetype>(1, probe)));
    QByteArray bytes = quorvel::testing::encoded(busyPicture(width, height, rows), "png");
    while (bytes.size() > fileBytes - 100) {
        rows = rows * 9 / 10;
        bytes = quorvel::testing::encoded(busyPicture(width, height, rows), "png");
    }
    save(path, quorvel::testing::paddedPng(bytes, fileBytes));
}

void makeDeepFlatPng(const fs::path& path, int side) {
    save(path, quorvel::testing::deepFlatPng(side, qRgba64(0x3a3a, 0x6c6c, 0xb4b4, 0xffff)));
}

void makeHeic(const fs::path& path, int side) {
    save(path, quorvel::testing::heicBytes(quorvel::testing::quarteredImage(QSize(side, side)), 1, 50));
}

// Progressive and without chroma subsampling: the decoder's coefficients for the whole picture would
// take 864 MB.
void makeProgressiveJpeg(const fs::path& path, int side) {
    save(path,
         quorvel::testing::progressiveJpeg(quorvel::testing::quarteredImage(QSize(side, side)), true, 60));
}

// The report window itself, with its real worker: the file is chosen, then the report sent, while a
// timer notes how long the event loop went without turning.
Measurement inTheWindow(const fs::path& path) {
    struct Alerts final : quorvel::AlertPresenter {
        int shown = 0;
        using AlertPresenter::show;
        void show(const QString&, const QString&, quorvel::AlertStyle, Dismissed) override { ++shown; }
    } alerts;
    bool sent = false;
    long long sentBytes = 0;
    quorvel::FeedbackWindowController window(
        [&](const QString&, const QString&, const quorvel::PreparedFeedbackScreenshot& screenshot,
            quorvel::BugReportCompletion) {
            sentBytes = screenshot.data.size();
            sent = true;
        },
        alerts, [&](QWidget*) { return std::optional<fs::path>(path); });
    window.showWindow();
    window.details()->setPlainText(QStringLiteral("The question stayed amber."));

    QElapsedTimer sinceTick;
    double longest = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longest = std::max(longest, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
    });
    const auto waitFor = [&](const std::function<bool()>& done) {
        while (!done() && alerts.shown == 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    };
    sinceTick.start();
    ticks.start(5);
    window.chooseScreenshot();
    waitFor([&] { return window.screenshotURL().has_value(); });
    window.sendReport();
    waitFor([&] { return sent; });
    ticks.stop();
    if (!sent)
        std::_Exit(3);
    Measurement result;
    result.outputBytes = sentBytes;
    result.longestStallMilliseconds = longest;
    return result;
}

// The preview as it was decoded before: Qt's reader (which decodes a PNG whole before scaling it, and
// keeps a progressive JPEG's coefficients in memory) and a full-size RGBA decode of a HEIC.
Measurement previewAsBefore(const fs::path& path, QSize bounds) {
    const quorvel::ScreenshotFile file = quorvel::ScreenshotFile::read(path);
    QImage image;
    if (file.type == quorvel::ScreenshotFile::Type::heic) {
        heif_context* context = heif_context_alloc();
        heif_context_read_from_memory_without_copy(context, file.bytes.data(), file.bytes.size(), nullptr);
        heif_image_handle* handle = nullptr;
        heif_image* decoded = nullptr;
        heif_context_get_primary_image_handle(context, &handle);
        if (heif_decode_image(handle, &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr)
                .code == heif_error_Ok) {
            image = QImage(heif_image_get_primary_width(decoded), heif_image_get_primary_height(decoded),
                           QImage::Format_RGBA8888)
                        .scaled(file.pixelSize.scaled(bounds, Qt::KeepAspectRatio));
            heif_image_release(decoded);
        }
        heif_image_handle_release(handle);
        heif_context_free(context);
    } else {
        QByteArray data = QByteArray::fromStdString(file.bytes);
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setAllocationLimit(1100);
        reader.setScaledSize(file.pixelSize.scaled(bounds, Qt::KeepAspectRatio));
        image = reader.read();
    }
    return Measurement{0, image.isNull() ? -1 : image.width() * 10'000LL + image.height()};
}

struct Corpus {
    const char* name;
    fs::path path;
};

} // namespace

int main() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const fs::path folder = fs::temp_directory_path() / "quorvel-screenshot-bench";
    fs::create_directories(folder);
    const std::vector<Corpus> corpus = {
        {"busy 12,000 x 8,000 PNG", folder / "busy.png"},
        {"flat 12,000 x 12,000 PNG, 16 bits", folder / "deep.png"},
        {"12,000 x 12,000 HEIC", folder / "large.heic"},
        {"12,000 x 12,000 progressive JPEG, full chroma", folder / "progressive.jpg"},
    };
    inChild([&] {
        makeBusyPng(corpus[0].path);
        makeDeepFlatPng(corpus[1].path, 12'000);
        makeHeic(corpus[2].path, 12'000);
        makeProgressiveJpeg(corpus[3].path, 12'000);
        return Measurement{};
    });

    bool met = true;
    const QSize previewBounds(484 * 2, 90 * 2);
    for (const Corpus& file : corpus) {
        const Measurement floor = inChild([&] {
            return Measurement{0,
                               static_cast<long long>(quorvel::ScreenshotFile::read(file.path).bytes.size())};
        });
        const Measurement check = inChild([&] {
            const QImage preview = quorvel::ScreenshotWorker::checkedPreview(file.path, previewBounds);
            return Measurement{0, preview.isNull() ? -1 : preview.width() * 10'000LL + preview.height()};
        });
        const Measurement prepare = inChild([&] {
            const auto prepared = quorvel::ScreenshotWorker::prepared(file.path);
            return Measurement{0, prepared ? static_cast<long long>(prepared->data.size()) : -1};
        });
        const Measurement window = inChild([&] { return inTheWindow(file.path); });
        const Measurement before = inChild([&] { return previewAsBefore(file.path, previewBounds); });
        const double peak = std::max({check.peakMegabytes, prepare.peakMegabytes, window.peakMegabytes});
        std::printf("%s, %lld bytes\n", file.name, floor.outputBytes);
        std::printf("  read and identify (floor): %.3f s, peak %.0f MB\n", floor.seconds,
                    floor.peakMegabytes);
        std::printf("  check and preview:         %.3f s, peak %.0f MB, preview %lld x %lld\n", check.seconds,
                    check.peakMegabytes, check.outputBytes / 10'000, check.outputBytes % 10'000);
        std::printf("  prepare for upload:        %.3f s, peak %.0f MB, %lld bytes sent\n", prepare.seconds,
                    prepare.peakMegabytes, prepare.outputBytes);
        std::printf("  in the report window:      %.3f s, peak %.0f MB, longest event-loop stall %.1f ms\n",
                    window.seconds, window.peakMegabytes, window.longestStallMilliseconds);
        std::printf("  preview decoded as before: %.3f s, peak %.0f MB, on the main thread\n", before.seconds,
                    before.peakMegabytes);
        std::printf("  peak / floor: %.1f x (%.0f MB above); peak / before: %.2f; target peak < %.0f MB, "
                    "stall < %.0f ms\n",
                    peak / std::max(floor.peakMegabytes, 1.0), peak - floor.peakMegabytes,
                    peak / std::max(before.peakMegabytes, 1.0), memoryTargetMegabytes,
                    stallTargetMilliseconds);
        met = met && check.outputBytes > 0 && prepare.outputBytes > 0 && peak < memoryTargetMegabytes &&
              window.longestStallMilliseconds < stallTargetMilliseconds;
    }
    fs::remove_all(folder);
    return met ? 0 : 1;
}
