// Decoding Radiance scanlines into a floating-point picture, rows in parallel.
//
// A scanline is stored in one of three ways:
// - new-style run-length (lengths 8 to 32767 only): the marker 2 2 hi lo
//   (hi lo = the length), then the four byte planes (red, green and blue
//   mantissas, shared exponent) one after the other, each a series of
//   packets: n > 128 repeats the next byte n - 128 times, 1 <= n <= 128
//   copies the next n bytes;
// - flat: 4 bytes a pixel;
// - old-style run-length: flat, where a pixel 1 1 1 n repeats the pixel
//   before it n times, n << 8 times when it follows another such pixel, and
//   so on.
//
// The fast way: one quick pass over the data finds where each scanline
// starts (walking the packet counts of run-length scanlines and taking flat
// ones as 4 bytes a pixel), then the scanlines are decoded on all cores,
// each straight into its place in the picture, band after band. Old-style
// runs make a flat scanline shorter than it looks, so when one turns up the
// rest of the picture, from the band where it did, is decoded one scanline
// after the other (the whole picture when the quick pass fails), which also
// gives the exact reason of a failure.
//
// A file read whole gives back the pixel data of each band once it is
// decoded, so that a load holds the decoded picture and a band's share of
// the file rather than both whole.
#include "formats/radiance_decoder.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "platform/large_block.h"

namespace orvex {
namespace {

constexpr uint32_t kMinRunLengthScanline = 8;
constexpr uint32_t kMaxRunLengthScanline = 0x7FFF;
// The file is read in blocks of this size, several at a time.
constexpr uint64_t kReadBlock = 8ull << 20;

// mantissa x 2^(exponent - 136) is mantissa x kScale[exponent]; the product
// of a byte and a power of two is exact in single precision.
struct ScaleTable {
    float value[256];
    ScaleTable() {
        value[0] = 0.0f;
        for (int e = 1; e < 256; ++e) value[e] = std::ldexp(1.0f, e - 136);
    }
};
const ScaleTable kScale;

void StoreRgbe(unsigned char* out, unsigned char r, unsigned char g, unsigned char b,
               unsigned char e) {
    const float scale = kScale.value[e];
    auto* pixel = reinterpret_cast<FIRGBF*>(out);
    pixel->red = static_cast<float>(r) * scale;
    pixel->green = static_cast<float>(g) * scale;
    pixel->blue = static_cast<float>(b) * scale;
}

// Where the pixels of one scanline go: the first one at `first`, each next
// one `step` bytes on (12 along a row, -12 backwards, +/- the pitch down a
// column).
struct Destination {
    unsigned char* first;
    ptrdiff_t step;
};

// Places scanlines in the picture for each of the eight resolution strings.
class Layout {
  public:
    Layout(FIBITMAP* picture, const RadianceHeader& header)
        : m_bits(FreeImage_GetBits(picture)),
          m_pitch(FreeImage_GetPitch(picture)),
          m_width(header.width),
          m_height(header.height),
          m_orientation(header.orientation) {}

    Destination For(uint32_t scanline) const {
        constexpr ptrdiff_t kPixel = sizeof(FIRGBF);
        if (!m_orientation.columns) {
            // A row: counted from the top, reversed when Y runs from the bottom.
            const uint32_t y = m_orientation.bottomToTop ? m_height - 1 - scanline : scanline;
            unsigned char* row = RowFromTop(y);
            if (m_orientation.rightToLeft) return {row + (m_width - 1) * kPixel, -kPixel};
            return {row, kPixel};
        }
        // A column: right to left when X runs from the right; its first pixel
        // at the bottom when Y runs from the bottom (FreeImage rows run upwards).
        const uint32_t x = m_orientation.rightToLeft ? m_width - 1 - scanline : scanline;
        const uint32_t y = m_orientation.bottomToTop ? m_height - 1 : 0;
        const auto pitch = static_cast<ptrdiff_t>(m_pitch);
        return {RowFromTop(y) + x * kPixel, m_orientation.bottomToTop ? pitch : -pitch};
    }

  private:
    unsigned char* RowFromTop(uint32_t y) const {
        return m_bits + static_cast<size_t>(m_height - 1 - y) * m_pitch;
    }

    unsigned char* m_bits;
    size_t m_pitch;
    uint32_t m_width;
    uint32_t m_height;
    RadianceOrientation m_orientation;
};

enum class Outcome { kOk, kFailed, kOldStyleRun };

struct Input {
    const unsigned char* data;
    size_t size;
};

bool IsRunLengthMarker(const Input& in, size_t pos, uint32_t length) {
    if (length < kMinRunLengthScanline || length > kMaxRunLengthScanline) return false;
    if (in.size - pos < 4) return false;
    const unsigned char* marker = in.data + pos;
    return marker[0] == 2 && marker[1] == 2 && (marker[2] & 0x80) == 0;
}

Outcome Fail(std::string* reason, uint32_t scanline, const char* what) {
    if (reason) *reason = "scanline " + std::to_string(scanline + 1) + " " + what;
    return Outcome::kFailed;
}

// Walks the packets of a new-style scanline starting at *pos (its marker).
// With kWrite the four planes are expanded into `planes` (4 x length bytes);
// without it only the packets are checked, which is what the quick pass does.
template <bool kWrite>
Outcome RunLengthScanline(const Input& in, size_t* pos, uint32_t length, uint32_t scanline,
                          unsigned char* planes, std::string* reason) {
    const unsigned char* marker = in.data + *pos;
    if ((static_cast<uint32_t>(marker[2]) << 8 | marker[3]) != length) {
        return Fail(reason, scanline, "declares a different length");
    }
    size_t p = *pos + 4;
    for (int plane = 0; plane < 4; ++plane) {
        uint32_t filled = 0;
        while (filled < length) {
            if (in.size - p < 2) return Fail(reason, scanline, "ends early");
            uint32_t count = in.data[p];
            if (count > 128) {
                count -= 128;
                if (count > length - filled) return Fail(reason, scanline, "runs past its width");
                if constexpr (kWrite) {
                    std::memset(planes + plane * size_t{length} + filled, in.data[p + 1], count);
                }
                p += 2;
            } else {
                if (count == 0) return Fail(reason, scanline, "holds an empty packet");
                if (count > length - filled) return Fail(reason, scanline, "runs past its width");
                ++p;
                if (in.size - p < count) return Fail(reason, scanline, "ends early");
                if constexpr (kWrite) {
                    std::memcpy(planes + plane * size_t{length} + filled, in.data + p, count);
                }
                p += count;
            }
            filled += count;
        }
    }
    *pos = p;
    return Outcome::kOk;
}

void StorePlanes(const unsigned char* planes, uint32_t length, const Destination& to) {
    const unsigned char* r = planes;
    const unsigned char* g = r + length;
    const unsigned char* b = g + length;
    const unsigned char* e = b + length;
    unsigned char* out = to.first;
    for (uint32_t i = 0; i < length; ++i, out += to.step) StoreRgbe(out, r[i], g[i], b[i], e[i]);
}

// A flat scanline at *pos. Without oldStyleRuns a repeat pixel is not
// expanded but reported, so that the caller can fall back to the careful way.
Outcome FlatScanline(const Input& in, size_t* pos, uint32_t length, uint32_t scanline,
                     bool oldStyleRuns, const Destination& to, std::string* reason) {
    size_t p = *pos;
    unsigned char* out = to.first;
    const unsigned char* previous = nullptr;
    unsigned shift = 0;
    uint32_t x = 0;
    while (x < length) {
        if (in.size - p < 4) return Fail(reason, scanline, "ends early");
        const unsigned char* pixel = in.data + p;
        p += 4;
        if (pixel[0] == 1 && pixel[1] == 1 && pixel[2] == 1) {
            if (!oldStyleRuns) return Outcome::kOldStyleRun;
            if (!previous) return Fail(reason, scanline, "starts with a repeat");
            // A fourth repeat in a row would ask for at least 2^24 pixels.
            if (shift > 16) return Fail(reason, scanline, "runs past its width");
            const uint32_t count = static_cast<uint32_t>(pixel[3]) << shift;
            if (count > length - x) return Fail(reason, scanline, "runs past its width");
            for (uint32_t i = 0; i < count; ++i, out += to.step) {
                StoreRgbe(out, previous[0], previous[1], previous[2], previous[3]);
            }
            x += count;
            shift += 8;
        } else {
            StoreRgbe(out, pixel[0], pixel[1], pixel[2], pixel[3]);
            out += to.step;
            previous = pixel;
            ++x;
            shift = 0;
        }
    }
    *pos = p;
    return Outcome::kOk;
}

// One scanline at *pos in whichever form it has.
Outcome DecodeScanline(const Input& in, size_t* pos, uint32_t length, uint32_t scanline,
                       bool oldStyleRuns, std::vector<unsigned char>& planes, const Destination& to,
                       std::string* reason) {
    if (IsRunLengthMarker(in, *pos, length)) {
        planes.resize(4 * size_t{length});
        const Outcome outcome =
            RunLengthScanline<true>(in, pos, length, scanline, planes.data(), reason);
        if (outcome == Outcome::kOk) StorePlanes(planes.data(), length, to);
        return outcome;
    }
    return FlatScanline(in, pos, length, scanline, oldStyleRuns, to, reason);
}

// The careful way: one scanline after the other from scanline `first`, which
// starts at `pos`, old-style runs expanded.
bool DecodeInOrder(const Input& in, const RadianceHeader& header, const Layout& layout,
                   uint32_t first, size_t pos, std::string* reason) {
    const uint32_t length = header.ScanlineLength();
    std::vector<unsigned char> planes;
    for (uint32_t s = first; s < header.ScanlineCount(); ++s) {
        if (DecodeScanline(in, &pos, length, s, true, planes, layout.For(s), reason) !=
            Outcome::kOk) {
            return false;
        }
    }
    return true;
}

// Where each scanline starts, as far as a flat scanline without repeats
// would have it; false when the packets do not add up.
bool FindScanlineStarts(const Input& in, const RadianceHeader& header,
                        std::vector<size_t>& starts) {
    const uint32_t length = header.ScanlineLength();
    const uint32_t count = header.ScanlineCount();
    starts.resize(count);
    size_t pos = 0;
    for (uint32_t s = 0; s < count; ++s) {
        starts[s] = pos;
        if (IsRunLengthMarker(in, pos, length)) {
            if (RunLengthScanline<false>(in, &pos, length, s, nullptr, nullptr) != Outcome::kOk) {
                return false;
            }
        } else {
            if (in.size - pos < 4 * uint64_t{length}) return false;
            pos += 4 * size_t{length};
        }
    }
    return true;
}

// Scanlines a band: a sixteenth of the picture, at least eight scanlines.
uint32_t BandScanlines(uint32_t count) { return std::max<uint32_t>(8, (count + 15) / 16); }

// Gives back the input's bytes [from, to) once no scanline needs them.
using ReleaseInput = std::function<void(size_t from, size_t to)>;

// The quick way, band after band. Returns the first scanline it did not
// decode, with where it starts in `*resumeAt`: the scanline count when all
// were decoded; else the first scanline of the band where one was found in
// a form only the careful way can place (0 when the quick pass failed).
uint32_t DecodeInParallel(const Input& in, const RadianceHeader& header, const Layout& layout,
                          const ReleaseInput& release, size_t* resumeAt) {
    const uint32_t length = header.ScanlineLength();
    const uint32_t count = header.ScanlineCount();
    *resumeAt = 0;
    std::vector<size_t> starts;
    if (!FindScanlineStarts(in, header, starts)) return 0;
    const uint32_t band = BandScanlines(count);
    for (uint32_t first = 0; first < count; first += band) {
        const uint32_t end = std::min(count, first + band);
        std::atomic<bool> repeatsFound{false};
        tbb::parallel_for(tbb::blocked_range<uint32_t>(first, end, 8),
                          [&](const tbb::blocked_range<uint32_t>& range) {
                              std::vector<unsigned char> planes;
                              for (uint32_t s = range.begin(); s != range.end(); ++s) {
                                  if (repeatsFound.load(std::memory_order_relaxed)) return;
                                  size_t at = starts[s];
                                  if (DecodeScanline(in, &at, length, s, false, planes,
                                                     layout.For(s), nullptr) != Outcome::kOk) {
                                      repeatsFound.store(true, std::memory_order_relaxed);
                                      return;
                                  }
                              }
                          });
        if (repeatsFound.load()) {
            *resumeAt = starts[first];
            return first;
        }
        if (release) release(starts[first], end < count ? starts[end] : in.size);
    }
    return count;
}

// One scanline as four byte planes (red, green, blue, exponent), from either
// stored form; false for a flat scanline with old-style repeats.
bool ScanlinePlanes(const Input& in, size_t at, uint32_t length, uint32_t scanline,
                    unsigned char* planes) {
    if (IsRunLengthMarker(in, at, length))
        return RunLengthScanline<true>(in, &at, length, scanline, planes, nullptr) == Outcome::kOk;
    if (in.size - at < 4 * uint64_t{length}) return false;
    const unsigned char* pixel = in.data + at;
    for (uint32_t x = 0; x < length; ++x, pixel += 4) {
        if (pixel[0] == 1 && pixel[1] == 1 && pixel[2] == 1) return false;
        for (int c = 0; c < 4; ++c) planes[c * size_t{length} + x] = pixel[c];
    }
    return true;
}

// Every factor x factor block of a picture stored row by row from the top
// left, averaged into one pixel, rows in parallel; the luminance range over
// every pixel. False when the picture must be decoded whole.
bool DecodeReducedRows(const Input& in, const RadianceHeader& header, uint32_t factor,
                       FIBITMAP* reduced, float* lowest, float* highest) {
    std::vector<size_t> starts;
    if (!FindScanlineStarts(in, header, starts)) return false;
    const uint32_t width = header.width;
    const auto reducedWidth = static_cast<uint32_t>(FreeImage_GetWidth(reduced));
    const auto reducedHeight = static_cast<uint32_t>(FreeImage_GetHeight(reduced));
    std::vector<float> rowLowest(reducedHeight, 0.0f), rowHighest(reducedHeight, 0.0f);
    std::atomic<bool> failed{false};
    tbb::parallel_for(
        tbb::blocked_range<uint32_t>(0, reducedHeight),
        [&](const tbb::blocked_range<uint32_t>& rows) {
            std::vector<unsigned char> planes(4 * size_t{width});
            std::vector<float> sums(3 * size_t{reducedWidth});
            for (uint32_t ry = rows.begin(); ry != rows.end(); ++ry) {
                if (failed.load(std::memory_order_relaxed)) return;
                std::fill(sums.begin(), sums.end(), 0.0f);
                float low = FLT_MAX, high = 0.0f;
                for (uint32_t dy = 0; dy < factor; ++dy) {
                    const uint32_t s = ry * factor + dy;
                    if (!ScanlinePlanes(in, starts[s], width, s, planes.data())) {
                        failed.store(true, std::memory_order_relaxed);
                        return;
                    }
                    const unsigned char* r = planes.data();
                    const unsigned char* g = r + width;
                    const unsigned char* b = g + width;
                    const unsigned char* e = b + width;
                    for (uint32_t x = 0; x < reducedWidth * factor; ++x) {
                        const float scale = kScale.value[e[x]];
                        const float red = r[x] * scale, green = g[x] * scale, blue = b[x] * scale;
                        const float y = 0.2126f * red + 0.7152f * green + 0.0722f * blue;
                        low = std::min(low, y);
                        high = std::max(high, y);
                        float* sum = sums.data() + 3 * size_t{x / factor};
                        sum[0] += red;
                        sum[1] += green;
                        sum[2] += blue;
                    }
                }
                // FreeImage keeps the bottom row first.
                auto* out = reinterpret_cast<float*>(
                    FreeImage_GetScanLine(reduced, static_cast<int>(reducedHeight - 1 - ry)));
                const float area = static_cast<float>(factor) * static_cast<float>(factor);
                for (size_t i = 0; i < sums.size(); ++i) out[i] = sums[i] / area;
                rowLowest[ry] = low;
                rowHighest[ry] = high;
            }
        });
    if (failed.load()) return false;
    *lowest = *std::min_element(rowLowest.begin(), rowLowest.end());
    *highest = *std::max_element(rowHighest.begin(), rowHighest.end());
    return true;
}

// The pixel data of the open file `fd` after `header`, read in blocks on all
// cores; `got` bytes of it are usable. Null with a reason when it cannot be read.
LargeBuffer ReadPixelData(int fd, uint64_t fileSize, const RadianceHeader& header, uint64_t* got,
                          std::string* reason);

}  // namespace

namespace {

Bitmap DecodePixels(const unsigned char* data, size_t size, const RadianceHeader& header,
                    std::string* reason, const std::shared_ptr<PixelPool>& pixels,
                    const ReleaseInput& release) {
    if (header.width == 0 || header.height == 0) {
        if (reason) *reason = "the picture is empty";
        return nullptr;
    }
    // Every pixel is written by a successful decode, so the picture is not
    // cleared first; a failed one is thrown away whole.
    Bitmap picture = AllocateUnclearedRgbf(header.width, header.height, pixels);
    if (!picture) {
        if (reason) *reason = "not enough memory for the picture";
        return nullptr;
    }
    const Input in{data, size};
    const Layout layout(picture.get(), header);
    std::string why;
    bool decoded = false;
    try {
        size_t resumeAt = 0;
        const uint32_t done = DecodeInParallel(in, header, layout, release, &resumeAt);
        decoded = done == header.ScanlineCount() ||
                  DecodeInOrder(in, header, layout, done, resumeAt, &why);
    } catch (const std::exception&) {
        why = "not enough memory to decode the picture";
    }
    if (!decoded) {
        if (reason) *reason = why;
        return nullptr;
    }
    return picture;
}

}  // namespace

Bitmap DecodeRadiancePixels(const unsigned char* data, size_t size, const RadianceHeader& header,
                            std::string* reason, const std::shared_ptr<PixelPool>& pixels) {
    return DecodePixels(data, size, header, reason, pixels, nullptr);
}

namespace {

LargeBuffer ReadPixelData(int fd, uint64_t fileSize, const RadianceHeader& header, uint64_t* got,
                          std::string* reason) {
    if (header.dataOffset > fileSize) {
        if (reason) *reason = "the file holds no pixel data";
        return nullptr;
    }
    // The pixel data in one block, but never more than the picture can use:
    // a scanline takes at most 8 bytes a pixel and its marker (run-length
    // packets of single bytes), so bytes after that are never read, however
    // large the file.
    const uint64_t mostUsed =
        uint64_t{header.ScanlineCount()} * (8ull * header.ScanlineLength() + 4);
    const uint64_t wanted = std::min(fileSize - header.dataOffset, mostUsed);
    LargeBuffer buffer = AllocateLargeBuffer(wanted);
    if (!buffer) {
        if (reason) *reason = "not enough memory to read the file";
        return nullptr;
    }
    // Read in blocks on all cores: the copy out of the page cache and the
    // first touch of the buffer's pages are shared out like the decoding.
    const uint64_t blocks = std::max<uint64_t>(1, (wanted + kReadBlock - 1) / kReadBlock);
    std::vector<uint64_t> filled(blocks, 0);
    std::atomic<int> readError{0};
    tbb::parallel_for(uint64_t{0}, blocks, [&](uint64_t block) {
        const uint64_t begin = block * kReadBlock;
        const uint64_t end = std::min(wanted, begin + kReadBlock);
        uint64_t at = begin;
        while (at < end) {
            const ssize_t n =
                pread(fd, buffer.get() + at, end - at, static_cast<off_t>(header.dataOffset + at));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                readError = errno;
                break;
            }
            if (n == 0) break;
            at += static_cast<uint64_t>(n);
        }
        filled[block] = at - begin;
    });
    if (readError != 0) {
        if (reason) {
            *reason = "the file could not be read: " +
                      std::error_code(readError, std::generic_category()).message();
        }
        return nullptr;
    }
    // A file that became shorter while it was read: decode what there is up
    // to the first block that came back short.
    *got = 0;
    for (uint64_t block = 0; block < blocks; ++block) {
        *got += filled[block];
        if (filled[block] < std::min(kReadBlock, wanted - block * kReadBlock)) break;
    }
    return buffer;
}

}  // namespace

Bitmap DecodeRadianceFile(int fd, uint64_t fileSize, const RadianceHeader& header,
                          std::string* reason, const std::shared_ptr<PixelPool>& pixels) {
    uint64_t got = 0;
    const LargeBuffer data = ReadPixelData(fd, fileSize, header, &got, reason);
    if (!data) return nullptr;
    const auto release = [&data, got](size_t from, size_t to) {
        ReleaseLargeBlockPages(data.get(), static_cast<size_t>(got), from, to);
    };
    return DecodePixels(data.get(), static_cast<size_t>(got), header, reason, pixels, release);
}

Bitmap DecodeRadianceFileReduced(int fd, uint64_t fileSize, const RadianceHeader& header,
                                 uint32_t factor, float* lowestLuminance, float* highestLuminance,
                                 std::string* reason) {
    const RadianceOrientation& o = header.orientation;
    if (o.columns || o.rightToLeft || o.bottomToTop || factor == 0 || header.width < factor ||
        header.height < factor) {
        return nullptr;
    }
    uint64_t got = 0;
    const LargeBuffer data = ReadPixelData(fd, fileSize, header, &got, reason);
    if (!data) return nullptr;
    Bitmap reduced =
        AdoptBitmap(FreeImage_AllocateT(FIT_RGBF, static_cast<int>(header.width / factor),
                                        static_cast<int>(header.height / factor)));
    if (!reduced) {
        if (reason) *reason = "not enough memory for the picture";
        return nullptr;
    }
    try {
        if (DecodeReducedRows(Input{data.get(), static_cast<size_t>(got)}, header, factor,
                              reduced.get(), lowestLuminance, highestLuminance))
            return reduced;
    } catch (const std::exception&) {
    }
    return nullptr;
}

}  // namespace orvex
