// The watermark font, loaded once per batch from Font, FontSize, FontStyle
// and FontEffect, used for both measuring and drawing the text watermark.
#pragma once

#include <memory>
#include <string>

namespace orvex {

struct ConversionSettings;

class WatermarkFont {
public:
    // nullptr when fontconfig cannot resolve the family (or a metric-
    // compatible alias it declares itself) or the size is unusable.
    static std::unique_ptr<WatermarkFont> Load(const ConversionSettings& settings);
    ~WatermarkFont();

    struct Impl;
    const Impl& impl() const { return *m_impl; }

private:
    explicit WatermarkFont(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace orvex
