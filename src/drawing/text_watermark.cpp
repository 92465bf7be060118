// Building the text watermark overlay, as raster text written onto the box
// or as antialiased text blended over it.
#include "drawing/text_watermark.h"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

#include "imaging/colour_parse.h"
#include "drawing/watermark_font.h"
#include "drawing/watermark_placement.h"
#include "settings/conversion_settings.h"
#include "settings/file_name_mask.h"

namespace orvex {
namespace {

constexpr std::string_view kLineBreak = "%eol%";
constexpr int kMinimumLineSide = 10;
constexpr int kAlignCenter = 1;
constexpr int kAlignRight = 2;

bool IsLineBreakAt(std::string_view text, size_t at) {
    if (text.size() - at < kLineBreak.size()) return false;
    for (size_t i = 0; i < kLineBreak.size(); ++i) {
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kLineBreak[i]) return false;
    }
    return true;
}

struct Line {
    std::string text;
    TextExtent extent;  // raster measure, or vector in vector mode
};

// Measures every line; the box always comes from the raster measure, the
// line starts from the measure of the mode the text is drawn in.
bool MeasureLines(const std::vector<std::string>& texts, const WatermarkFont& font, TextMode mode,
                  std::vector<Line>& lines, TextBlock& block, const ConversionSettings& settings) {
    std::unique_ptr<Canvas> scratch = Canvas::Create(10, 10);
    if (!scratch) return false;
    std::vector<TextExtent> raster;
    for (const std::string& text : texts) {
        const TextExtent extent = scratch->MeasureText(font, text, TextMode::Raster);
        raster.push_back(extent);
        lines.push_back(Line{text, mode == TextMode::Raster
                                       ? extent
                                       : scratch->MeasureText(font, text, TextMode::Vector)});
    }
    block = ArrangeTextBlock(raster, settings.FontLeading, settings.TextPadding);
    return true;
}

// Draws every line top-down onto `canvas`, starting at the padding.
void DrawLines(Canvas& canvas, const std::vector<Line>& lines, const TextBlock& block,
               const WatermarkFont& font, Rgb colour, int alpha, TextMode mode,
               const ConversionSettings& settings) {
    const bool multiLine = lines.size() > 1;
    int64_t y = settings.TextPadding;
    for (const Line& line : lines) {
        const int64_t x = LineStart(block.boxWidth, line.extent.width, settings.TextAlignment,
                                    settings.TextPadding, multiLine);
        // With a negative leading the lines climb; either way, once a line
        // lies wholly outside the box so do all after it.
        if (y > canvas.height() || y + line.extent.height < 0) break;
        canvas.DrawText(font, line.text, static_cast<int>(x), static_cast<int>(y), colour, alpha,
                        mode);
        y += block.pitch;
    }
}

}  // namespace

std::vector<std::string> SplitWatermarkLines(std::string_view text) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < text.size();) {
        if (IsLineBreakAt(text, i)) {
            lines.emplace_back();
            i += kLineBreak.size();
        } else {
            lines.back() += text[i++];
        }
    }
    return lines;
}

TextBlock ArrangeTextBlock(const std::vector<TextExtent>& lines, int leading, int padding) {
    TextBlock block;
    if (lines.size() == 1) {
        block.textWidth = lines[0].width;
        block.textHeight = lines[0].height;
        block.pitch = int64_t{lines[0].height} + leading;
    } else if (lines.size() > 1) {
        int64_t lineHeight = kMinimumLineSide;
        block.textWidth = kMinimumLineSide;
        for (const TextExtent& line : lines) {
            block.textWidth = std::max<int64_t>(block.textWidth, line.width);
            lineHeight = std::max<int64_t>(lineHeight, line.height);
        }
        block.pitch = lineHeight + leading;
        block.textHeight = lineHeight + block.pitch * static_cast<int64_t>(lines.size() - 1);
    }
    block.boxWidth = block.textWidth + 2 * int64_t{padding};
    block.boxHeight = block.textHeight + 2 * int64_t{padding};
    return block;
}

int64_t LineStart(int64_t boxWidth, int64_t lineWidth, int alignment, int padding, bool multiLine) {
    if (!multiLine) return padding;
    if (alignment == kAlignCenter) {
        const int64_t room = boxWidth - lineWidth;
        return room >= 0 ? (room + 1) / 2 : -((-room + 1) / 2);
    }
    if (alignment == kAlignRight) return boxWidth - lineWidth - padding;
    return padding;
}

Bitmap BuildTextOverlay(const ConversionSettings& settings, const FileContext& file,
                        const WatermarkFont& font, std::string* reason) {
    std::string ignored;
    if (!reason) reason = &ignored;
    reason->clear();
    const auto refuse = [reason](std::string text) -> Bitmap {
        *reason = std::move(text);
        return {};
    };
    const std::string limit = std::to_string(kMaximumOverlaySide);
    const std::vector<std::string> texts =
        SplitWatermarkLines(ExpandWatermarkText(settings, file));
    // Even at a one-pixel pitch more lines than that would not fit the
    // largest box; refuse them before measuring each.
    if (texts.size() > static_cast<size_t>(kMaximumOverlaySide)) {
        return refuse("the watermark text has more than " + limit + " lines");
    }
    const TextMode mode = settings.TextAntialiasing != 0 ? TextMode::Vector : TextMode::Raster;

    std::vector<Line> lines;
    TextBlock block;
    if (!MeasureLines(texts, font, mode, lines, block, settings)) {
        return refuse("the watermark text could not be measured");
    }
    if (block.boxWidth < 1 || block.boxHeight < 1) return {};  // nothing to draw
    if (block.boxWidth > kMaximumOverlaySide || block.boxHeight > kMaximumOverlaySide) {
        return refuse("the watermark text box of " + std::to_string(block.boxWidth) + " x " +
                      std::to_string(block.boxHeight) + " pixels is larger than " + limit +
                      " pixels on a side");
    }
    const int width = static_cast<int>(block.boxWidth);
    const int height = static_cast<int>(block.boxHeight);
    const Rgb textColour = ParseColour(settings.FontColor);
    const Rgb boxColour = ParseColour(settings.BackColor);

    const std::string noMemory = "no memory for the watermark text box of " +
                                 std::to_string(width) + " x " + std::to_string(height) + " pixels";
    std::unique_ptr<Canvas> overlay = Canvas::Create(width, height);
    if (!overlay) return refuse(noMemory);
    if (mode == TextMode::Raster) {
        // Pixels are written, not blended: the box takes its colour and
        // alpha, and each glyph pixel then takes the text's.
        overlay->Fill(boxColour, settings.BackOpacity);
        DrawLines(*overlay, lines, block, font, textColour, settings.TextOpacity, mode, settings);
    } else {
        // Box and text are drawn opaque on layers of their own and then
        // painted at their opacities, so smoothed glyph edges blend with the
        // box exactly once.
        std::unique_ptr<Canvas> box = Canvas::Create(width, height);
        std::unique_ptr<Canvas> text = Canvas::Create(width, height);
        if (!box || !text) return refuse(noMemory);
        box->Fill(boxColour, 255);
        DrawLines(*text, lines, block, font, textColour, 255, mode, settings);
        overlay->Paint(*box, 0, 0, settings.BackOpacity);
        overlay->Paint(*text, 0, 0, settings.TextOpacity);
    }
    Bitmap bitmap = overlay->ToBitmap();
    if (!bitmap) return refuse(noMemory);
    return bitmap;
}

}  // namespace orvex
