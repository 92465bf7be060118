// Several files at once must give exactly the files one after another gives:
// a batch with every per-file step on, converted side by side again and
// again, against the same batch converted one file at a time.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>

#include "run/conversion_run.h"
#include "run/run_checks.h"
#include "run/run_resources.h"
#include "support/hdr_writer.h"

namespace orvex {
namespace {

using test_support::Rgb;

constexpr int kFiles = 12;
constexpr int kWidth = 400;
constexpr int kHeight = 294;

// A logo with soft edges: its alpha runs from clear at the border to solid.
bool WriteAlphaLogo(const std::string& path) {
    constexpr int kSize = 64;
    FIBITMAP* logo = FreeImage_Allocate(kSize, kSize, 32);
    if (!logo) return false;
    for (int y = 0; y < kSize; ++y) {
        auto* row = FreeImage_GetScanLine(logo, y);
        for (int x = 0; x < kSize; ++x) {
            const int edge = std::min(std::min(x, kSize - 1 - x), std::min(y, kSize - 1 - y));
            row[4 * x + FI_RGBA_RED] = static_cast<BYTE>(4 * x);
            row[4 * x + FI_RGBA_GREEN] = static_cast<BYTE>(255 - 4 * y);
            row[4 * x + FI_RGBA_BLUE] = 128;
            row[4 * x + FI_RGBA_ALPHA] = static_cast<BYTE>(std::min(255, edge * 12));
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, logo, path.c_str(), 0) != 0;
    FreeImage_Unload(logo);
    return saved;
}

class ParallelRunTest : public ::testing::Test {
protected:
    ParallelRunTest() : folder("parallel_run") {
        for (int i = 0; i < kFiles; ++i) {
            const std::string path = folder.File("in/shot" + std::to_string(i) + ".hdr");
            std::filesystem::create_directories(folder.File("in"));
            // Each picture its own: a sky gradient, a bright spot and stripes.
            EXPECT_TRUE(test_support::WriteHdr(path, kWidth, kHeight, [i](int x, int y) {
                const float spot = std::hypot(float(x - 40 * i), float(y - 150)) < 30 ? 40.f : 0.f;
                const float stripe = ((x + i * 7) / 16) % 2 ? 0.6f : 0.2f;
                return Rgb{stripe + spot + x / 400.f, 0.3f + y / 300.f + spot,
                           0.1f * float(i) + spot};
            }));
            queue.push_back(QueuedFile{path, ""});
        }
        // Every per-file step that draws or moves pixels.
        settings.DoImageRotation = 1;
        settings.ImageRotationType = 1;  // advanced: a free angle
        settings.ImageRotation = 17;
        settings.ImageRotationBackColor = "336699";
        settings.DoImageResize = 1;
        settings.ImageWidth = 360;
        settings.ImageHeight = 280;
        settings.KeepAspectRatio = 0;
        settings.DoImageDither = 1;
        settings.DoFrame = 1;
        settings.SolidLeft = settings.SolidTop = 7;
        settings.SolidRight = settings.SolidBottom = 11;
        settings.SolidLeftColor = "FF0000";
        settings.SolidOpacity = 180;
    }

    // A job converting the queue into folder `name` (made empty).
    ConversionJob JobInto(const std::string& name, const ConversionSettings& with,
                          int32_t filesAtOnce) {
        const std::string out = folder.File(name + "/");
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
        ConversionJob job;
        job.settings = with;
        job.target = MakeSaveTarget("jpg", with, out);
        job.queue = queue;
        if (with.DoWatermark == 1) {
            EXPECT_TRUE(LoadWatermarkFont(with, job.font).ok());
        }
        job.filesAtOnce = filesAtOnce;
        job.cores = filesAtOnce;
        return job;
    }

    // Every output of folder `name`, by file name.
    std::map<std::string, std::string> Outputs(const std::string& name) {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder.File(name + "/"))) {
            files[entry.path().filename()] = test_support::ReadFileBytes(entry.path());
        }
        return files;
    }

    // Converts the queue into folder `name` and returns every output's bytes.
    std::map<std::string, std::string> Convert(const std::string& name, int32_t filesAtOnce) {
        ConversionRun run(JobInto(name, settings, filesAtOnce));
        run.Start();
        run.Wait();
        EXPECT_EQ(run.outcome().filesConverted, kFiles);
        return Outputs(name);
    }

    // The side-by-side batch, `rounds` times, against the one-at-a-time one.
    void ExpectSameAsOneAtATime(int rounds) {
        const auto expected = Convert("one", 1);
        ASSERT_EQ(expected.size(), static_cast<size_t>(kFiles));
        for (int round = 0; round < rounds; ++round) {
            const auto got = Convert("four", 4);
            ASSERT_EQ(got.size(), expected.size()) << "round " << round;
            for (const auto& [name, bytes] : expected) {
                ASSERT_TRUE(got.count(name)) << name << " missing in round " << round;
                EXPECT_TRUE(got.at(name) == bytes) << name << " differs in round " << round;
            }
            if (HasFailure()) return;
        }
    }

    test_support::ScopedTempFolder folder;
    FileQueue queue;
    ConversionSettings settings;
};

void MarkWithText(ConversionSettings& settings) {
    settings.DoWatermark = 1;
    settings.Text = "Lumavert watermark test %filename%%eol%%width% x %height%";
    settings.FontSize = 40;
    settings.TextAntialiasing = 1;
    settings.TextOpacity = 200;
    settings.BackOpacity = 90;
}

TEST_F(ParallelRunTest, AnAntialiasedTextWatermarkBatchGivesTheSameFilesAtFourJobsAsAtOne) {
    MarkWithText(settings);
    ExpectSameAsOneAtATime(12);
}

TEST_F(ParallelRunTest, AnImageWatermarkWithAlphaGivesTheSameFilesAtFourJobsAsAtOne) {
    const std::string logo = folder.File("logo.png");
    ASSERT_TRUE(WriteAlphaLogo(logo));
    settings.DoWatermark = 2;
    settings.Image = logo;
    settings.ImageOpacity = 200;
    settings.WatermarkImageRotation = 30;
    ExpectSameAsOneAtATime(4);
}

// Two runs in one process at the same time (a preview beside a conversion):
// each has its own fonts, pictures, memory and cores, and writes the bytes it
// writes alone.
TEST_F(ParallelRunTest, TwoRunsAtOnceEachGiveTheBytesTheyGiveAlone) {
    ConversionSettings text = settings;
    MarkWithText(text);
    ConversionSettings image = settings;
    image.DoWatermark = 2;
    image.Image = folder.File("logo.png");
    ASSERT_TRUE(WriteAlphaLogo(image.Image));
    image.DoImageDither = 0;
    image.DoImageGreyscale = 1;

    {
        ConversionRun alone(JobInto("text_alone", text, 1));
        alone.Start();
        alone.Wait();
        ConversionRun other(JobInto("image_alone", image, 1));
        other.Start();
        other.Wait();
    }
    const auto textAlone = Outputs("text_alone");
    const auto imageAlone = Outputs("image_alone");
    ASSERT_EQ(textAlone.size(), static_cast<size_t>(kFiles));
    ASSERT_EQ(imageAlone.size(), static_cast<size_t>(kFiles));

    for (int round = 0; round < 4 && !HasFailure(); ++round) {
        ConversionRun first(JobInto("text_beside", text, 3));
        ConversionRun second(JobInto("image_beside", image, 2));
        first.Start();
        second.Start();
        first.Wait();
        second.Wait();
        EXPECT_TRUE(Outputs("text_beside") == textAlone) << "round " << round;
        EXPECT_TRUE(Outputs("image_beside") == imageAlone) << "round " << round;
    }
}

}  // namespace
}  // namespace orvex
