// Preview benchmark: the real preview window (offscreen unless a display is
// set) on a generated 24-megapixel Radiance picture. Prints the time from
// opening the file to the first picture shown, and the median of 20 slider
// changes from the change to the new picture shown, against the goals of
// 1.5 s and 150 ms; then the time the 100 % view takes.
//
//   preview_bench [changes]        (run it from a Release build folder)
#include <FreeImage.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/conversion_settings.h"
#include "text/text_table.h"
#include "ui/preview_window.h"

using namespace orvex;

namespace {

// 6000 x 4000: smooth light over eight stops with a bright sun and grain.
bool WritePicture(const std::string& path) {
    constexpr int kWidth = 6000, kHeight = 4000;
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, kWidth, kHeight);
    if (image == nullptr) return false;
    uint32_t seed = 12345;
    for (int y = 0; y < kHeight; ++y) {
        auto* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, y));
        for (int x = 0; x < kWidth; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const float grain = 1.0f + 0.05f * (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f);
            const float u = static_cast<float>(x) / kWidth, v = static_cast<float>(y) / kHeight;
            float light = std::exp2(8.0f * u * v - 4.0f) * grain;
            const float dx = u - 0.7f, dy = v - 0.75f;
            if (dx * dx + dy * dy < 0.0004f) light *= 500.0f;
            row[x] = FIRGBF{light * (0.6f + 0.4f * v), light * 0.8f, light * (1.0f - 0.5f * u)};
        }
    }
    const bool saved = FreeImage_Save(FIF_HDR, image, path.c_str(), 0) != 0;
    FreeImage_Unload(image);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int changes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const std::string folder = std::filesystem::temp_directory_path() / "orvex_preview_bench/";
    std::filesystem::create_directories(folder);
    const std::string input = folder + "24mp.hdr";
    if (!std::filesystem::exists(input) && !WritePicture(input)) {
        std::fprintf(stderr, "cannot write %s\n", input.c_str());
        return 1;
    }
    ConversionSettings settings;
    ResetSettingsToDefaults(settings, false);
    TextTable texts;
    texts.Build();
    PreviewWindow window(nullptr, settings, texts,
                         [&] {
                             return PreviewTarget{input, folder, "jpg"};
                         },
                         {});
    window.resize(1000, 800);
    window.show();
    QSignalSpy shown(&window, &PreviewWindow::pictureShown);

    QElapsedTimer clock;
    clock.start();
    window.Refresh();
    if (!shown.wait(60000)) return 1;
    const double first = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf("first show after opening the 24 MP file: %.0f ms (goal 1500 ms); %s\n", first,
                window.statusText().toUtf8().constData());

    std::vector<double> times;
    QSlider* exposure = window.slider(PreviewWindow::Exposure);
    for (int i = 0; i < changes; ++i) {
        clock.restart();
        exposure->setValue(i % 2 == 0 ? 10 : -5);
        if (!shown.wait(60000)) return 1;
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "slider change to new picture, median of %d: %.0f ms (goal 150 ms); "
        "fastest %.0f ms, slowest %.0f ms\n",
        changes, times[times.size() / 2], times.front(), times.back());

    // The 100 % view: the file itself through the chain, at full size.
    clock.restart();
    window.actualSizeToggle()->setChecked(true);
    if (!shown.wait(120000)) return 1;
    std::printf("100 %% view (whole picture at full size): %.0f ms\n",
                static_cast<double>(clock.nsecsElapsed()) / 1e6);
    return 0;
}
