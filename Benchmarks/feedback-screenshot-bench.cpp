// Prepares a 12,000 x 8,000 PNG of just under 10 MB for an issue report, as sending a report does, and
// prints the time and the peak resident memory of that work (targets: under 2 s, under 1 GB). Each
// measurement runs in a child process of its own, so its peak is its own; the floor is a child that only
// reads and identifies the same file.
#include "Services/FeedbackScreenshotValidator.h"
#include "Services/ScreenshotFile.h"
#include "Services/TestImages.h"

#include <QCoreApplication>
#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int width = 12'000;
constexpr int height = 8'000;
constexpr qsizetype fileBytes = 9'999'000;

struct Measurement {
    double seconds = 0;
    long long outputBytes = 0;
    double peakMegabytes = 0;
};

// A dark window-like picture with bands of noise, so that it compresses like a busy screenshot.
QImage busyPicture(int noisyRows) {
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

void generate(const std::filesystem::path& path) {
    // Aim the noise at about 9.5 MB of PNG, then pad to the exact size.
    const qsizetype probe = quorvel::testing::encoded(busyPicture(100), "png").size();
    int rows = static_cast<int>(100.0 * 9'500'000.0 / static_cast<double>(std::max<qsizetype>(1, probe)));
    QByteArray bytes = quorvel::testing::encoded(busyPicture(rows), "png");
    while (bytes.size() > fileBytes - 100) {
        rows = rows * 9 / 10;
        bytes = quorvel::testing::encoded(busyPicture(rows), "png");
    }
    const QByteArray exact = quorvel::testing::paddedPng(bytes, fileBytes);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(exact.constData(), exact.size());
}

// Runs `work` in a child process; the child reports its own time and output size through a pipe, and
// the parent takes the child's peak resident memory from wait4.
Measurement inChild(const std::function<long long()>& work) {
    int channel[2];
    if (::pipe(channel) != 0)
        std::exit(2);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        int argc = 1;
        char name[] = "feedback-screenshot-bench";
        char* argv[] = {name, nullptr};
        QCoreApplication application(argc, argv);
        const auto start = std::chrono::steady_clock::now();
        Measurement result;
        result.outputBytes = work();
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

} // namespace

int main() {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quorvel-screenshot-bench";
    std::filesystem::create_directories(folder);
    const std::filesystem::path path = folder / "large.png";
    inChild([&] {
        generate(path);
        return 0LL;
    });

    const Measurement floor =
        inChild([&] { return static_cast<long long>(quorvel::ScreenshotFile::read(path).bytes.size()); });
    std::vector<Measurement> runs;
    for (int run = 0; run < 3; ++run)
        runs.push_back(inChild([&] {
            return static_cast<long long>(
                quorvel::FeedbackScreenshotValidator::prepareForUpload(path).data.size());
        }));
    std::sort(runs.begin(), runs.end(),
              [](const Measurement& a, const Measurement& b) { return a.seconds < b.seconds; });
    const Measurement& median = runs[1];
    const double peak = std::max_element(runs.begin(), runs.end(), [](const auto& a, const auto& b) {
                            return a.peakMegabytes < b.peakMegabytes;
                        })->peakMegabytes;

    std::printf("screenshot: %d x %d PNG, %lld bytes\n", width, height, floor.outputBytes);
    std::printf("read and identify (floor): %.3f s, peak %.0f MB\n", floor.seconds, floor.peakMegabytes);
    std::printf("prepare for upload: median of 3 %.3f s (target < 2 s), peak %.0f MB (target < 1024 MB), "
                "JPEG of %lld bytes\n",
                median.seconds, peak, median.outputBytes);
    std::printf("prepare / floor: %.1f x the time, %.0f MB above the floor's memory\n",
                median.seconds / std::max(floor.seconds, 1e-9), peak - floor.peakMegabytes);
    std::filesystem::remove_all(folder);
    return median.seconds < 2.0 && peak < 1024.0 ? 0 : 1;
}
