// The preview's render thread: takes the newest request, prepares it like a
// desktop run (the same preparation and checks as Convert), keeps the
// decoded file and the run's resources while they still fit the request, and
// renders through the chain. A newer request stops the render under way at
// its next step; only the newest one is ever delivered.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "run/preview_render.h"

namespace orvex {

struct PreviewRequest {
    std::string inputPath;
    std::string outputFolder;     // the run's; the input's folder when empty
    std::string outputExtension;  // "" = this build's first
    ConversionSettings settings;
    bool fullSize = false;  // the file itself, not the reduced copy
};

// One finished render, handed to the deliverer on the render thread.
struct PreviewFrame {
    uint64_t request = 0;  // the number Request gave
    bool fullSize = false;
    RunCheck fault;  // ok, or why there is no picture
    PreviewResult result;
    PreviewPixels before;  // the reduced input at the request's exposure
    int sourceWidth = 0;   // the input picture's size
    int sourceHeight = 0;
    float lowestLuminance = 0;
    float highestLuminance = 0;
    int64_t millis = 0;  // from taking the request to the picture
};

class PreviewRenderer {
  public:
    using Deliver = std::function<void(std::shared_ptr<const PreviewFrame>)>;
    using StepObserver = std::function<void(uint64_t request)>;
    // `deliver` runs on the render thread; `longestSide` bounds the reduced
    // copy; `onStep`, when given, is told on the render thread before each
    // step of a render looks whether a newer request came.
    explicit PreviewRenderer(Deliver deliver, int longestSide = 1600, StepObserver onStep = {});
    ~PreviewRenderer();
    PreviewRenderer(const PreviewRenderer&) = delete;
    PreviewRenderer& operator=(const PreviewRenderer&) = delete;

    // Queues `request` in place of any waiting one and stops the render
    // under way; returns the request's number (1, 2, ...).
    uint64_t Request(PreviewRequest request);
    // Renders stopped because a newer request came, and renders delivered.
    uint64_t cancelled() const { return m_cancelled.load(); }
    uint64_t delivered() const { return m_delivered.load(); }
    // The render thread's id, for checks that work stays off the caller's thread.
    std::thread::id threadId() const { return m_thread.get_id(); }

  private:
    struct Cache;
    void Work();
    std::shared_ptr<PreviewFrame> Render(const PreviewRequest& request, uint64_t number);

    Deliver m_deliver;
    StepObserver m_onStep;
    int m_longestSide;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::optional<PreviewRequest> m_pending;
    uint64_t m_pendingNumber = 0;
    bool m_quit = false;
    std::atomic<uint64_t> m_newest{0};
    std::atomic<uint64_t> m_cancelled{0};
    std::atomic<uint64_t> m_delivered{0};
    std::unique_ptr<Cache> m_cache;  // the render thread's own
    std::thread m_thread;
};

}  // namespace orvex
