// What one run uses, owned by the run: the text watermark's font (laid out on
// a font map per thread), the image watermark decoded once and shared read
// only, the pool of picture memory, and the task arena that bounds every
// parallel loop of the run to its cores. Made with the run and gone with it,
// so two runs in one process share none of it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "drawing/watermark.h"
#include "formats/bitmap.h"

namespace orvex {

struct ConversionSettings;
class WatermarkFont;

class RunResources {
public:
    // `font` is the text watermark's, loaded when the run was prepared (null
    // when none is drawn); an image watermark is decoded here, once. `cores`
    // bounds the run's parallel loops (0 = every core).
    RunResources(const ConversionSettings& settings, std::shared_ptr<const WatermarkFont> font,
                 int32_t cores);
    ~RunResources();
    RunResources(const RunResources&) = delete;
    RunResources& operator=(const RunResources&) = delete;

    // The font and the image watermark's picture every file is marked with.
    WatermarkSources watermark() const { return {m_font.get(), m_watermarkPicture.get()}; }
    // Why the image watermark could not be decoded ("" when it was, or when
    // none is asked for); every file then fails with it.
    const std::string& watermarkFailure() const { return m_watermarkFailure; }
    const std::shared_ptr<PixelPool>& pixels() const { return m_pixels; }
    // The cores the run may keep busy; 0 = every core.
    int32_t cores() const { return m_cores; }

    // Runs `work` on the calling thread inside the run's arena: the parallel
    // loops it starts use at most the run's cores, whatever other runs of the
    // process do meanwhile.
    void Run(const std::function<void()>& work);

private:
    // The oneTBB arena, kept out of this header: the desktop includes it, and
    // Qt's keywords clash with oneTBB's headers.
    struct Arena;
    std::shared_ptr<const WatermarkFont> m_font;
    Bitmap m_watermarkPicture;
    std::string m_watermarkFailure;
    std::shared_ptr<PixelPool> m_pixels;
    int32_t m_cores = 0;
    std::unique_ptr<Arena> m_arena;
};

}  // namespace orvex
