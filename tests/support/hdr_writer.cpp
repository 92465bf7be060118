// Writing Radiance test files by hand and through FreeImage.
#include "support/hdr_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace orvex::test_support {
namespace {

struct Axis {
    char name = 'Y';
    bool positive = false;
};

// "-Y +X" -> {Y, -}, {X, +}.
void SplitOrientation(std::string_view orientation, Axis* first, Axis* second) {
    *first = {orientation.size() > 1 ? orientation[1] : 'Y',
              !orientation.empty() && orientation[0] == '+'};
    *second = {orientation.size() > 4 ? orientation[4] : 'X',
               orientation.size() > 3 && orientation[3] == '+'};
}

int AxisSize(const Axis& axis, int width, int height) { return axis.name == 'X' ? width : height; }

// Where step i along an axis lands: X counts from the left for "+X", from
// the right for "-X"; Y from the top for "-Y", from the bottom for "+Y".
int Place(const Axis& axis, int i, int width, int height) {
    const int size = AxisSize(axis, width, height);
    if (axis.name == 'X') return axis.positive ? i : size - 1 - i;
    return axis.positive ? size - 1 - i : i;
}

// One byte plane of a run-length scanline: runs of 3 to 127 equal bytes as
// (128 + n, byte), everything else as literal packets of up to 128 bytes.
void EncodePlane(const std::string& plane, std::string* out) {
    size_t pos = 0;
    while (pos < plane.size()) {
        size_t run = 1;
        while (pos + run < plane.size() && run < 127 && plane[pos + run] == plane[pos]) ++run;
        if (run >= 3) {
            out->push_back(static_cast<char>(128 + run));
            out->push_back(plane[pos]);
            pos += run;
            continue;
        }
        size_t end = pos;
        while (end < plane.size() && end - pos < 128) {
            if (end + 2 < plane.size() && plane[end] == plane[end + 1] &&
                plane[end] == plane[end + 2]) {
                break;
            }
            ++end;
        }
        if (end == pos) end = pos + 1;
        out->push_back(static_cast<char>(end - pos));
        out->append(plane, pos, end - pos);
        pos = end;
    }
}

void AppendScanline(const std::vector<Rgb>& pixels, ScanlineEncoding encoding, std::string* out) {
    const size_t length = pixels.size();
    if (encoding == ScanlineEncoding::kFlat || length < 8 || length > 0x7FFF) {
        for (const Rgb& p : pixels) *out += EncodeRgbe(p);
        return;
    }
    out->push_back(2);
    out->push_back(2);
    out->push_back(static_cast<char>(length >> 8));
    out->push_back(static_cast<char>(length & 0xFF));
    std::string planes[4];
    for (const Rgb& p : pixels) {
        const std::string rgbe = EncodeRgbe(p);
        for (int i = 0; i < 4; ++i) planes[i].push_back(rgbe[static_cast<size_t>(i)]);
    }
    for (const std::string& plane : planes) EncodePlane(plane, out);
}

unsigned DLL_CALLCONV WriteProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    return static_cast<unsigned>(std::fwrite(buffer, size, count, static_cast<std::FILE*>(handle)));
}
unsigned DLL_CALLCONV ReadProc(void* buffer, unsigned size, unsigned count, fi_handle handle) {
    return static_cast<unsigned>(std::fread(buffer, size, count, static_cast<std::FILE*>(handle)));
}
int DLL_CALLCONV SeekProc(fi_handle handle, long offset, int origin) {
    return std::fseek(static_cast<std::FILE*>(handle), offset, origin);
}
long DLL_CALLCONV TellProc(fi_handle handle) { return std::ftell(static_cast<std::FILE*>(handle)); }

}  // namespace

std::string ResolutionString(std::string_view orientation, int width, int height) {
    Axis first, second;
    SplitOrientation(orientation, &first, &second);
    std::ostringstream text;
    text << (first.positive ? '+' : '-') << first.name << ' ' << AxisSize(first, width, height)
         << ' ' << (second.positive ? '+' : '-') << second.name << ' '
         << AxisSize(second, width, height);
    return text.str();
}

std::string HdrHeaderText(int width, int height, const HdrLayout& layout) {
    const std::string& end = layout.lineEnd;
    std::string text = "#?RADIANCE" + end + "FORMAT=32-bit_rle_rgbe" + end;
    for (const std::string& line : layout.extraLines) text += line + end;
    return text + end + ResolutionString(layout.orientation, width, height) + end;
}

std::string EncodeRgbe(Rgb colour) {
    const float v = std::max(colour.r, std::max(colour.g, colour.b));
    if (v < 1e-32f) return std::string(4, '\0');
    int exponent = 0;
    const float scale = static_cast<float>(std::frexp(v, &exponent) * 256.0 / v);
    std::string rgbe(4, '\0');
    rgbe[0] = static_cast<char>(static_cast<unsigned char>(colour.r * scale));
    rgbe[1] = static_cast<char>(static_cast<unsigned char>(colour.g * scale));
    rgbe[2] = static_cast<char>(static_cast<unsigned char>(colour.b * scale));
    rgbe[3] = static_cast<char>(exponent + 128);
    return rgbe;
}

std::string HdrPixelData(int width, int height, const PixelFunction& pixel,
                         const HdrLayout& layout) {
    Axis first, second;
    SplitOrientation(layout.orientation, &first, &second);
    const int count = AxisSize(first, width, height);
    const int length = AxisSize(second, width, height);
    std::string data;
    std::vector<Rgb> scanline(static_cast<size_t>(length));
    for (int r = 0; r < count; ++r) {
        for (int c = 0; c < length; ++c) {
            const int a = Place(first, r, width, height);
            const int b = Place(second, c, width, height);
            scanline[static_cast<size_t>(c)] = first.name == 'X' ? pixel(a, b) : pixel(b, a);
        }
        AppendScanline(scanline, layout.encoding, &data);
    }
    return data;
}

bool WriteRawHdr(const std::string& path, const std::string& headerText, const std::string& bytes) {
    return WriteFileBytes(path, headerText + bytes);
}

bool WriteHdr(const std::string& path, int width, int height, const PixelFunction& pixel,
              const HdrLayout& layout) {
    return WriteRawHdr(path, HdrHeaderText(width, height, layout),
                       HdrPixelData(width, height, pixel, layout));
}

FIBITMAP* MakeRgbfPicture(int width, int height, const PixelFunction& pixel) {
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    if (!image) return nullptr;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, height - 1 - y));
        for (int x = 0; x < width; ++x) {
            const Rgb p = pixel(x, y);
            row[x] = FIRGBF{p.r, p.g, p.b};
        }
    }
    return image;
}

bool WriteHdrWithFreeImage(const std::string& path, int width, int height,
                           const PixelFunction& pixel) {
    FIBITMAP* image = MakeRgbfPicture(width, height, pixel);
    if (!image) return false;
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    bool ok = file != nullptr;
    if (ok) {
        FreeImageIO io{ReadProc, WriteProc, SeekProc, TellProc};
        ok = FreeImage_SaveToHandle(FIF_HDR, image, &io, file, 0) != FALSE;
        ok = std::fclose(file) == 0 && ok;
    }
    FreeImage_Unload(image);
    return ok;
}

Rgb PixelAt(FIBITMAP* image, int x, int y) {
    const int height = static_cast<int>(FreeImage_GetHeight(image));
    const auto* row = reinterpret_cast<const FIRGBF*>(FreeImage_GetScanLine(image, height - 1 - y));
    return {row[x].red, row[x].green, row[x].blue};
}

}  // namespace orvex::test_support
