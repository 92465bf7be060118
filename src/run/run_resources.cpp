// Making a run's resources from its settings.
#include "run/run_resources.h"

#include <tbb/info.h>
#include <tbb/task_arena.h>

#include <algorithm>

#include "drawing/image_watermark.h"
#include "drawing/watermark_font.h"
#include "settings/conversion_settings.h"

namespace orvex {
namespace {

constexpr int kWatermarkImage = 2;

// More threads than the machine has would only take turns; oneTBB also
// warns on standard error when an arena asks for more workers than exist.
int ArenaConcurrency(int32_t cores) {
    if (cores <= 0) return tbb::task_arena::automatic;
    return std::min(static_cast<int>(cores), tbb::info::default_concurrency());
}

}  // namespace

struct RunResources::Arena {
    explicit Arena(int concurrency) : arena(concurrency) {}
    tbb::task_arena arena;
};

RunResources::RunResources(const ConversionSettings& settings,
                           std::shared_ptr<const WatermarkFont> font, int32_t cores)
    : m_font(std::move(font)),
      m_pixels(std::make_shared<PixelPool>()),
      m_cores(cores > 0 ? cores : 0),
      m_arena(std::make_unique<Arena>(ArenaConcurrency(cores))) {
    if (settings.DoWatermark == kWatermarkImage) {
        m_watermarkPicture = BuildImageOverlay(settings, &m_watermarkFailure);
        if (m_watermarkPicture) m_watermarkFailure.clear();
        if (!m_watermarkPicture && m_watermarkFailure.empty())
            m_watermarkFailure = "the watermark picture could not be decoded";
    }
}

RunResources::~RunResources() = default;

void RunResources::Run(const std::function<void()>& work) { m_arena->arena.execute(work); }

}  // namespace orvex
