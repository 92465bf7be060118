// The preview's renders: the chain's own pixels for a picture small enough
// to be shown whole, sizes shrunk with a reduced copy, a newer request
// stopping the render under way, and faults delivered instead of pictures.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "run/conversion_chain.h"
#include "run/preview_renderer.h"
#include "run/run_preparation.h"
#include "run/run_resources.h"
#include "settings/file_context.h"
#include "support/hdr_writer.h"
#include "support/temp_folder.h"

// fontconfig 2.14 loses a few hundred bytes while parsing its configuration
// (the text watermark loads a font); not ours to free.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace orvex {
namespace {

using test_support::Rgb;

Rgb Scene(int x, int y) {
    const float light = 0.01f + 0.05f * static_cast<float>(x) + 0.02f * static_cast<float>(y);
    return Rgb{light, light * 0.6f, light * (x % 7 == 0 ? 2.0f : 0.3f)};
}

// Collects what the render thread delivers.
struct Frames {
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::shared_ptr<const PreviewFrame>> frames;

    PreviewRenderer::Deliver Deliverer() {
        return [this](std::shared_ptr<const PreviewFrame> frame) {
            std::lock_guard<std::mutex> guard(lock);
            frames.push_back(std::move(frame));
            arrived.notify_all();
        };
    }
    // The frame of request `number`, waiting up to a minute for it.
    std::shared_ptr<const PreviewFrame> Await(uint64_t number) {
        std::unique_lock<std::mutex> guard(lock);
        std::shared_ptr<const PreviewFrame> found;
        arrived.wait_for(guard, std::chrono::seconds(60), [&] {
            for (const auto& frame : frames)
                if (frame->request == number) found = frame;
            return found != nullptr;
        });
        return found;
    }
};

class PreviewTest : public ::testing::Test {
  protected:
    PreviewTest() : folder("preview") {
        settings.KeepAspectRatio = 0;
        settings.OutputFormat = "jpg";
    }
    std::string Input(int width, int height) {
        const std::string path = folder.File("scene.hdr");
        EXPECT_TRUE(test_support::WriteHdr(path, width, height, Scene));
        return path;
    }
    PreviewRequest Request(const std::string& path) const {
        PreviewRequest request;
        request.inputPath = path;
        request.outputFolder = folder.Path();
        request.outputExtension = "jpg";
        request.settings = settings;
        return request;
    }
    // The picture the chain makes of `path` with the run Convert would prepare.
    PreviewPixels ChainPixels(const std::string& path) const {
        RunRequest run;
        run.face = RunFace::Desktop;
        run.inputs = {path};
        run.outputFolder = folder.Path();
        run.outputExtension = "jpg";
        Result<PreparedRun> prepared = PrepareRun(settings, run, RunReport());
        EXPECT_TRUE(prepared.ok()) << prepared.reason();
        const ConversionJob& job = prepared.value().job;
        RunResources resources(settings, job.font, 0);
        FileContext file;
        file.InputPath = path;
        file.OutputFolder = job.target.outputFolder;
        file.OutputExtension = "jpg";
        file.OutputFormatId = job.target.formatId;
        file.SaveFlags = job.target.saveFlags;
        file.AutoBitDepth = 1;
        file.FileCounter = 1;
        file.RandomNumber = 1;
        Result<Bitmap> image = LoadAndProcess(settings, file, &resources);
        EXPECT_TRUE(image.ok()) << image.reason();
        return PixelsOf(image.value().get());
    }

    test_support::ScopedTempFolder folder;
    ConversionSettings settings;
    Frames delivered;
};

// Tone controls, colour correction, a frame and a text watermark: the
// preview of a picture it shows whole, and the full-size render, are the
// chain's own pixels.
TEST_F(PreviewTest, ShowsThePixelsTheChainMakes) {
    const std::string path = Input(160, 90);
    settings.DragoExposure = 1.5f;
    settings.DragoSaturation = 1.6f;
    settings.DragoBias = 0.7f;
    settings.DoImageColorCorrection = 1;
    settings.ImageContrast = 20;
    settings.DoFrame = 1;
    settings.SolidLeft = 6;
    settings.SolidLeftColor = "FF0000";
    settings.DoWatermark = 1;
    settings.Text = "%width%x%height%";
    const PreviewPixels chain = ChainPixels(path);

    PreviewRenderer renderer(delivered.Deliverer(), 400);
    for (bool fullSize : {false, true}) {
        PreviewRequest request = Request(path);
        request.fullSize = fullSize;
        const auto frame = delivered.Await(renderer.Request(request));
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(frame->fault.ok()) << frame->fault.detail;
        EXPECT_EQ(frame->result.picture.width, 160);
        EXPECT_EQ(frame->result.picture.height, 90);
        EXPECT_EQ(frame->result.outputWidth, 160);
        EXPECT_TRUE(frame->result.picture.argb == chain.argb) << "full size " << fullSize;
        EXPECT_EQ(frame->before.width, 160);
    }
}

// A copy reduced four times: the resize target, the frame and the size the
// picture would be saved at follow the full picture.
TEST_F(PreviewTest, AReducedCopyShrinksTheChainsSizes) {
    const std::string path = Input(400, 240);
    settings.DoImageResize = 1;
    settings.ImageWidth = 200;
    settings.ImageHeight = 120;
    settings.DoFrame = 1;
    settings.SolidLeft = 20;
    settings.SolidLeftColor = "0000FF";
    PreviewRenderer renderer(delivered.Deliverer(), 100);
    const auto frame = delivered.Await(renderer.Request(Request(path)));
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(frame->fault.ok()) << frame->fault.detail;
    EXPECT_EQ(frame->sourceWidth, 400);
    EXPECT_EQ(frame->result.outputWidth, 200);
    EXPECT_EQ(frame->result.outputHeight, 120);
    ASSERT_EQ(frame->result.picture.width, 50);
    ASSERT_EQ(frame->result.picture.height, 30);
    const auto at = [&](int x, int y) { return frame->result.picture.argb[y * 50 + x]; };
    EXPECT_EQ(at(4, 15), 0xFF0000FFu);  // the band, 20 / 4 pixels wide
    EXPECT_NE(at(6, 15), 0xFF0000FFu);
    // The luminance range of the full picture.
    EXPECT_NEAR(frame->lowestLuminance, 0.01f * (0.2126f + 0.7152f * 0.6f + 0.0722f * 2.0f), 1e-3f);
    EXPECT_GT(frame->highestLuminance, 20 * frame->lowestLuminance);
}

// The first render is held at its first step until a second request is
// made: it stops there and only the second picture is delivered.
TEST_F(PreviewTest, ANewerRequestStopsTheRenderUnderWay) {
    const std::string path = Input(120, 80);
    std::mutex lock;
    std::condition_variable changed;
    bool firstStarted = false, secondMade = false;
    PreviewRenderer renderer(delivered.Deliverer(), 400, [&](uint64_t request) {
        if (request != 1) return;
        std::unique_lock<std::mutex> guard(lock);
        firstStarted = true;
        changed.notify_all();
        changed.wait(guard, [&] { return secondMade; });
    });
    renderer.Request(Request(path));
    {
        std::unique_lock<std::mutex> guard(lock);
        ASSERT_TRUE(
            changed.wait_for(guard, std::chrono::seconds(60), [&] { return firstStarted; }));
    }
    settings.DragoExposure = 2;
    const uint64_t second = renderer.Request(Request(path));
    {
        std::lock_guard<std::mutex> guard(lock);
        secondMade = true;
    }
    changed.notify_all();
    ASSERT_NE(delivered.Await(second), nullptr);
    EXPECT_EQ(renderer.cancelled(), 1u);
    std::lock_guard<std::mutex> guard(delivered.lock);
    ASSERT_EQ(delivered.frames.size(), 1u);
    EXPECT_EQ(delivered.frames.front()->request, second);
}

// The preview refuses what Convert refuses, with the same fault.
TEST_F(PreviewTest, FaultsAreDeliveredInsteadOfPictures) {
    const std::string path = Input(40, 30);
    PreviewRenderer renderer(delivered.Deliverer(), 400);
    settings.DragoBias = 1.5f;
    auto frame = delivered.Await(renderer.Request(Request(path)));
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->fault.ok());
    EXPECT_TRUE(frame->result.picture.argb.empty());
    settings.DragoBias = 0.85f;
    frame = delivered.Await(renderer.Request(Request(folder.File("missing.hdr"))));
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->fault.ok());
    frame = delivered.Await(renderer.Request(Request(path)));
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->fault.ok()) << frame->fault.detail;
}

}  // namespace
}  // namespace orvex
