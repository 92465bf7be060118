// The JPEG writer on libjpeg-turbo. A picture is compressed in one piece, or
// cut into strips of whole MCU rows that are compressed side by side, each as
// a small JPEG of its own; their compressed data are then joined behind the
// first strip's markers with a restart marker between two strips. A restart
// only resets the DC predictions, which every strip starts from anyway, so
// the joined file decodes to exactly the pixels of the one-piece file.
//
//   strip 0:  SOI APP0 DQT SOF(height: the picture's) DHT DRI SOS data0
//             RST0 data1 RST1 data2 ... RST7 data8 RST0 ... dataN EOI
#include "formats/jpeg_writer.h"

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>

// jpeglib.h expects FILE and size_t to be declared before it.
#include <jerror.h>
#include <jpeglib.h>
// The entropy encoder's hooks, through which the symbols of a strip are
// counted for optimised Huffman tables shared by all strips.
#include <jpegint.h>

extern "C" {
// The library's optimal-table builder: exported, but declared only in a
// header the library keeps to itself.
void jpeg_gen_optimal_table(j_compress_ptr cinfo, JHUFF_TBL* htbl, long freq[]);
}

namespace orvex {

// ---- The encoded file ---------------------------------------------------------

struct JpegFile::Buffers {
    std::vector<unsigned char*> blocks;  // malloc'd by the destination below
    ~Buffers() {
        for (unsigned char* block : blocks) std::free(block);
    }
};

JpegFile::JpegFile() : m_buffers(std::make_unique<Buffers>()) {}
JpegFile::~JpegFile() = default;
JpegFile::JpegFile(JpegFile&&) noexcept = default;
JpegFile& JpegFile::operator=(JpegFile&&) noexcept = default;

size_t JpegFile::Size() const {
    size_t size = 0;
    for (std::string_view piece : m_pieces) size += piece.size();
    return size;
}

std::string JpegFile::Join() const {
    std::string bytes;
    bytes.reserve(Size());
    for (std::string_view piece : m_pieces) bytes.append(piece);
    return bytes;
}

// Gives the writer below access to a file's pieces and buffers.
class JpegFileBuilder {
  public:
    explicit JpegFileBuilder(JpegFile* file) : m_file(file) {
        m_file->m_pieces.clear();
        m_file->m_buffers = std::make_unique<JpegFile::Buffers>();
    }
    // The file owns `block` from now on.
    void Adopt(unsigned char* block) { m_file->m_buffers->blocks.push_back(block); }
    void Add(const unsigned char* data, size_t size) {
        m_file->m_pieces.emplace_back(reinterpret_cast<const char*>(data), size);
    }

  private:
    JpegFile* m_file;
};

namespace {

constexpr const char* kDepthMessage =
    "only 24-bit highcolor or 8-bit greyscale/palette bitmaps can be saved as JPEG";
constexpr const char* kMemoryMessage = "Memory allocation failed";
constexpr const char* kNotTakenMessage = "the compressed data could not be written";

// Pictures below half a megapixel are compressed in one piece: on two cores
// strips took 0.61 x the one-piece time at 0.7 megapixels and 0.75 x at 0.35,
// where that is a third of a millisecond, and nothing below.
constexpr double kStripsFromPixels = 1 << 19;
// About this many pixels a strip: enough strips for every core to stay busy
// to the end, few enough that setting up each costs nothing to speak of.
constexpr double kStripPixels = 1 << 18;
// The restart interval is a 16-bit count of MCUs.
constexpr unsigned kMaxRestartInterval = 65535;
constexpr int kRowsPerCall = 16;

const unsigned char kRestartMarkers[8][2] = {{0xFF, 0xD0}, {0xFF, 0xD1}, {0xFF, 0xD2},
                                             {0xFF, 0xD3}, {0xFF, 0xD4}, {0xFF, 0xD5},
                                             {0xFF, 0xD6}, {0xFF, 0xD7}};
const unsigned char kEndOfImage[2] = {0xFF, 0xD9};

// ---- What the flags ask for --------------------------------------------------

enum class Input { Bgr, Grey, InvertedGrey, Palette };

struct Settings {
    FIBITMAP* image = nullptr;
    unsigned width = 0, height = 0;
    Input input = Input::Bgr;
    bool colour = true;
    int quality = 75;
    // Sampling factors of the luminance (the chroma's are 1 x 1), and
    // whether the flags named them; grey pictures have one 1 x 1 component.
    int lumaH = 1, lumaV = 1;
    bool namedSampling = false;
    bool progressive = false, optimize = false, bare = false;
    UINT16 xDensity = 0, yDensity = 0;
};

// FreeImage's reading of the quality bits: a named quality first, else the
// low seven bits, where 0 means 75.
int QualityOf(int flags) {
    if ((flags & JPEG_QUALITYBAD) == JPEG_QUALITYBAD) return 10;
    if ((flags & JPEG_QUALITYAVERAGE) == JPEG_QUALITYAVERAGE) return 25;
    if ((flags & JPEG_QUALITYNORMAL) == JPEG_QUALITYNORMAL) return 50;
    if ((flags & JPEG_QUALITYGOOD) == JPEG_QUALITYGOOD) return 75;
    if ((flags & JPEG_QUALITYSUPERB) == JPEG_QUALITYSUPERB) return 100;
    return (flags & 0x7F) == 0 ? 75 : flags & 0x7F;
}

// The luminance's sampling factors for colour pictures, the strongest
// subsampling named in the flags winning; none named keeps the library's 2 x 2.
void SamplingOf(int flags, Settings* settings) {
    settings->lumaH = 2, settings->lumaV = 2;
    settings->namedSampling = (flags & (JPEG_SUBSAMPLING_411 | JPEG_SUBSAMPLING_420 |
                                        JPEG_SUBSAMPLING_422 | JPEG_SUBSAMPLING_444)) != 0;
    if ((flags & JPEG_SUBSAMPLING_411) == JPEG_SUBSAMPLING_411) {
        settings->lumaH = 4, settings->lumaV = 1;
    } else if ((flags & JPEG_SUBSAMPLING_420) == JPEG_SUBSAMPLING_420) {
        settings->lumaH = 2, settings->lumaV = 2;
    } else if ((flags & JPEG_SUBSAMPLING_422) == JPEG_SUBSAMPLING_422) {
        settings->lumaH = 2, settings->lumaV = 1;
    } else if ((flags & JPEG_SUBSAMPLING_444) == JPEG_SUBSAMPLING_444) {
        settings->lumaH = 1, settings->lumaV = 1;
    }
}

// ---- libjpeg's side: errors, output, symbol counting ---------------------------

// Returns a library error to CompressPiece instead of ending the process.
struct ErrorTrap {
    jpeg_error_mgr pub;  // first, so that the library's pointer is this
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ExitToTrap(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, trap->message);
    std::longjmp(trap->jump, 1);
}

// Warnings are kept, never printed on the console.
void KeepMessage(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, trap->message);
}

// Compressed bytes in C memory, grown from the library's callbacks (which
// must not throw); `discard` keeps reusing one small block.
struct Destination {
    jpeg_destination_mgr pub;  // first, so that the library's pointer is this
    unsigned char* data;
    size_t capacity;
    size_t size;
    bool discard;
};

void InitDestination(j_compress_ptr cinfo) {
    auto* out = reinterpret_cast<Destination*>(cinfo->dest);
    if (!out->data) {
        out->data = static_cast<unsigned char*>(std::malloc(out->capacity));
        if (!out->data) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    }
    out->size = 0;
    out->pub.next_output_byte = out->data;
    out->pub.free_in_buffer = out->capacity;
}

boolean GrowDestination(j_compress_ptr cinfo) {
    auto* out = reinterpret_cast<Destination*>(cinfo->dest);
    size_t used = out->capacity;
    if (out->discard) {
        used = 0;
    } else {
        const size_t grown = out->capacity * 2;
        auto* data = static_cast<unsigned char*>(std::realloc(out->data, grown));
        if (!data) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
        out->data = data;
        out->capacity = grown;
    }
    out->pub.next_output_byte = out->data + used;
    out->pub.free_in_buffer = out->capacity - used;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    auto* out = reinterpret_cast<Destination*>(cinfo->dest);
    out->size = out->capacity - out->pub.free_in_buffer;
}

// How often each Huffman symbol occurs in a strip, per table, as the library
// counts them for its own optimised tables.
struct SymbolCounts {
    long dc[NUM_HUFF_TBLS][257];
    long ac[NUM_HUFF_TBLS][257];
    int lastDc[MAX_COMPS_IN_SCAN];
};

// The zigzag order: position k of the coded sequence is coefficient
// kNaturalOrder[k] of the block.
constexpr int kNaturalOrder[DCTSIZE2] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

int BitLength(int value) {
    unsigned magnitude = value < 0 ? -static_cast<unsigned>(value) : static_cast<unsigned>(value);
    int bits = 0;
    while (magnitude) ++bits, magnitude >>= 1;
    return bits;
}

// Stands in for the entropy encoder of a counting pass: the quantised blocks
// of each MCU are counted into the SymbolCounts in client_data, nothing is
// written.
boolean CountMcu(j_compress_ptr cinfo, JBLOCKROW* mcu) {
    auto* counts = static_cast<SymbolCounts*>(cinfo->client_data);
    for (int b = 0; b < cinfo->blocks_in_MCU; ++b) {
        const int ci = cinfo->MCU_membership[b];
        const jpeg_component_info* component = cinfo->cur_comp_info[ci];
        const JCOEF* block = mcu[b][0];
        counts->dc[component->dc_tbl_no][BitLength(block[0] - counts->lastDc[ci])]++;
        counts->lastDc[ci] = block[0];
        long* ac = counts->ac[component->ac_tbl_no];
        int run = 0;
        for (int k = 1; k < DCTSIZE2; ++k) {
            const int value = block[kNaturalOrder[k]];
            if (value == 0) {
                ++run;
                continue;
            }
            for (; run > 15; run -= 16) ac[0xF0]++;
            ac[(run << 4) + BitLength(value)]++;
            run = 0;
        }
        if (run > 0) ac[0]++;
    }
    return TRUE;
}

void SkipFinish(j_compress_ptr) {}

// ---- One piece ----------------------------------------------------------------------

struct PieceJob {
    const Settings* settings = nullptr;
    unsigned firstRow = 0, rows = 0;           // rows of the picture, counted from the top
    unsigned restartInterval = 0;              // in MCUs; 0 writes no restart interval
    SymbolCounts* countInto = nullptr;         // count the symbols, write nothing
    const SymbolCounts* tablesFrom = nullptr;  // optimal Huffman tables of these counts
    unsigned char* scratch = nullptr;          // kRowsPerCall rows for converted input
    Destination out{};
    char message[JMSG_LENGTH_MAX] = {};
};

// Fills `rows` with the picture's rows from `first` on (top-down), converting
// palette and inverted grey rows into `scratch`.
void PrepareRows(const Settings& s, unsigned first, int count, unsigned char* scratch,
                 JSAMPROW* rows) {
    for (int i = 0; i < count; ++i) {
        BYTE* line = FreeImage_GetScanLine(s.image, static_cast<int>(s.height - 1 - first - i));
        switch (s.input) {
            case Input::Bgr:
            case Input::Grey:
                rows[i] = line;
                break;
            case Input::Palette:
                rows[i] = scratch + static_cast<size_t>(i) * s.width * 3;
                FreeImage_ConvertLine8To24(rows[i], line, static_cast<int>(s.width),
                                           FreeImage_GetPalette(s.image));
                break;
            case Input::InvertedGrey:
                rows[i] = scratch + static_cast<size_t>(i) * s.width;
                for (unsigned x = 0; x < s.width; ++x)
                    rows[i][x] = static_cast<BYTE>(255 - line[x]);
                break;
        }
    }
}

// Compresses one piece of the picture into job.out, with the library's error
// returning here through setjmp: the only function that calls into the
// library while a longjmp may come, and one that holds nothing which needs
// unwinding. False with the library's message in job.message.
bool CompressPiece(PieceJob& job) {
    const Settings& s = *job.settings;
    jpeg_compress_struct cinfo;
    ErrorTrap trap;
    trap.message[0] = '\0';
    cinfo.err = jpeg_std_error(&trap.pub);
    trap.pub.error_exit = ExitToTrap;
    trap.pub.output_message = KeepMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::memcpy(job.message, trap.message, sizeof job.message);
        return false;
    }
    jpeg_create_compress(&cinfo);
    job.out.pub.init_destination = InitDestination;
    job.out.pub.empty_output_buffer = GrowDestination;
    job.out.pub.term_destination = TermDestination;
    cinfo.dest = &job.out.pub;
    cinfo.client_data = job.countInto;

    cinfo.image_width = s.width;
    cinfo.image_height = job.rows;
    cinfo.in_color_space = s.colour ? JCS_EXT_BGR : JCS_GRAYSCALE;
    cinfo.input_components = s.colour ? 3 : 1;
    jpeg_set_defaults(&cinfo);
    if (s.progressive) jpeg_simple_progression(&cinfo);
    cinfo.optimize_coding = s.optimize && !job.countInto && !job.tablesFrom ? TRUE : FALSE;
    cinfo.X_density = s.xDensity;
    cinfo.Y_density = s.yDensity;
    cinfo.density_unit = 1;  // dots per inch
    if (s.bare) {
        cinfo.write_JFIF_header = FALSE;
        cinfo.write_Adobe_marker = FALSE;
    }
    if (s.colour && s.namedSampling) {
        cinfo.comp_info[0].h_samp_factor = s.lumaH;
        cinfo.comp_info[0].v_samp_factor = s.lumaV;
        for (int c = 1; c < 3; ++c) {
            cinfo.comp_info[c].h_samp_factor = 1;
            cinfo.comp_info[c].v_samp_factor = 1;
        }
    }
    jpeg_set_quality(&cinfo, s.quality, TRUE);
    if (job.tablesFrom) {
        long freq[257];
        for (int t = 0; t < NUM_HUFF_TBLS; ++t) {
            const long* dc = job.tablesFrom->dc[t];
            const long* ac = job.tablesFrom->ac[t];
            if (std::any_of(dc, dc + 257, [](long n) { return n != 0; })) {
                if (!cinfo.dc_huff_tbl_ptrs[t])
                    cinfo.dc_huff_tbl_ptrs[t] =
                        jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(&cinfo));
                std::copy(dc, dc + 257, freq);
                jpeg_gen_optimal_table(&cinfo, cinfo.dc_huff_tbl_ptrs[t], freq);
            }
            if (std::any_of(ac, ac + 257, [](long n) { return n != 0; })) {
                if (!cinfo.ac_huff_tbl_ptrs[t])
                    cinfo.ac_huff_tbl_ptrs[t] =
                        jpeg_alloc_huff_table(reinterpret_cast<j_common_ptr>(&cinfo));
                std::copy(ac, ac + 257, freq);
                jpeg_gen_optimal_table(&cinfo, cinfo.ac_huff_tbl_ptrs[t], freq);
            }
        }
    }
    cinfo.restart_interval = job.restartInterval;

    jpeg_start_compress(&cinfo, TRUE);
    if (job.countInto) {
        cinfo.entropy->encode_mcu = CountMcu;
        cinfo.entropy->finish_pass = SkipFinish;
    }
    JSAMPROW rows[kRowsPerCall];
    while (cinfo.next_scanline < cinfo.image_height) {
        const int count = static_cast<int>(
            std::min<unsigned>(kRowsPerCall, cinfo.image_height - cinfo.next_scanline));
        PrepareRows(s, job.firstRow + cinfo.next_scanline, count, job.scratch, rows);
        jpeg_write_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// ---- Joining strips -----------------------------------------------------------------

// The offset of the first compressed byte (just past the scan header) in a
// file the library wrote, or 0 when there is none.
size_t ScanDataStart(const unsigned char* data, size_t size) {
    size_t at = 2;  // past SOI
    while (at + 4 <= size && data[at] == 0xFF) {
        const unsigned marker = data[at + 1];
        const size_t length = (static_cast<size_t>(data[at + 2]) << 8) | data[at + 3];
        if (marker == 0xDA) return at + 2 + length <= size ? at + 2 + length : 0;
        at += 2 + length;
    }
    return 0;
}

// Writes the picture's full height into the frame header in front of the
// scan; false when there is no frame header.
bool SetFrameHeight(unsigned char* data, size_t scanStart, unsigned height) {
    size_t at = 2;
    while (at + 9 <= scanStart && data[at] == 0xFF) {
        const unsigned marker = data[at + 1];
        if (marker >= 0xC0 && marker <= 0xC2) {
            data[at + 5] = static_cast<unsigned char>(height >> 8);
            data[at + 6] = static_cast<unsigned char>(height & 0xFF);
            return true;
        }
        at += 2 + ((static_cast<size_t>(data[at + 2]) << 8) | data[at + 3]);
    }
    return false;
}

struct Plan {
    unsigned stripRows = 0;        // picture rows a strip; 0 is one piece
    unsigned restartInterval = 0;  // MCUs a strip
};

Plan PlanStrips(const Settings& s, JpegCut cut) {
    if (s.progressive || s.width > JPEG_MAX_DIMENSION || s.height > JPEG_MAX_DIMENSION) return {};
    const unsigned mcuWidth = 8u * static_cast<unsigned>(s.lumaH);
    const unsigned mcuHeight = 8u * static_cast<unsigned>(s.lumaV);
    const unsigned mcusPerRow = (s.width + mcuWidth - 1) / mcuWidth;
    const unsigned mcuRows = (s.height + mcuHeight - 1) / mcuHeight;
    unsigned perStrip = 0;
    if (cut.mcuRowsPerStrip > 0) {
        perStrip = static_cast<unsigned>(cut.mcuRowsPerStrip);
    } else {
        if (static_cast<double>(s.width) * s.height < kStripsFromPixels) return {};
        perStrip = static_cast<unsigned>(
            std::max(1.0, kStripPixels / (static_cast<double>(s.width) * mcuHeight)));
    }
    if (perStrip >= mcuRows) return {};
    perStrip = std::min(perStrip, kMaxRestartInterval / mcusPerRow);
    if (perStrip == 0) return {};
    return {perStrip * mcuHeight, perStrip * mcusPerRow};
}

// Room for a piece's compressed bytes: half the pixels' bytes covers quality
// 100 on grainy pictures, so the buffer rarely grows (and is copied); pages
// the compressor never writes cost nothing.
size_t EstimatedBytes(const Settings& s, unsigned rows) {
    return std::max<size_t>(16384, static_cast<size_t>(s.width) * rows * (s.colour ? 3 : 1) / 2);
}

bool Fail(std::string* message, const char* text) {
    if (message) *message = text;
    return false;
}

// Where the compressed pieces go, in file order: into a JpegFile that keeps
// their buffers, or to a sink as soon as every piece before them is done,
// their buffers then used again by the strips still to be compressed.
class PieceOutput {
  public:
    explicit PieceOutput(JpegFile* file) { m_builder.emplace(file); }
    explicit PieceOutput(const JpegSink& sink) : m_sink(&sink) {}
    ~PieceOutput() {
        for (const Destination& spare : m_spares) std::free(spare.data);
    }
    PieceOutput(const PieceOutput&) = delete;
    PieceOutput& operator=(const PieceOutput&) = delete;

    // Gives `out` the buffer of a piece already sent, when there is one.
    void Prepare(Destination& out) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_spares.empty()) return;
        out.data = m_spares.back().data;
        out.capacity = m_spares.back().capacity;
        m_spares.pop_back();
    }
    bool Send(const unsigned char* data, size_t size) {
        if (m_builder) {
            m_builder->Add(data, size);
            return true;
        }
        return (*m_sink)(std::string_view(reinterpret_cast<const char*>(data), size));
    }
    // Takes `out`'s buffer once its bytes are sent.
    void Release(Destination& out) {
        if (out.data) {
            if (m_builder) {
                m_builder->Adopt(out.data);
            } else {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_spares.push_back(out);
            }
        }
        out = Destination{};
    }

  private:
    std::optional<JpegFileBuilder> m_builder;
    const JpegSink* m_sink = nullptr;
    std::mutex m_mutex;
    std::vector<Destination> m_spares;
};

bool EncodeOnePiece(const Settings& s, PieceOutput& output, std::string* message) {
    std::vector<unsigned char> scratch;
    if (s.input == Input::Palette || s.input == Input::InvertedGrey)
        scratch.resize(static_cast<size_t>(kRowsPerCall) * s.width * 3);
    PieceJob job;
    job.settings = &s;
    job.rows = s.height;
    job.scratch = scratch.data();
    job.out.capacity = EstimatedBytes(s, s.height);
    const bool ok = CompressPiece(job);
    if (!ok) {
        std::free(job.out.data);
        if (message) *message = job.message;
        return false;
    }
    const bool sent = output.Send(job.out.data, job.out.size);
    output.Release(job.out);
    return sent || Fail(message, kNotTakenMessage);
}

// Sends strip `i` of `count`: the first with its markers and the picture's
// full height, the others' compressed data behind a restart marker, the
// last followed by the end of the image.
bool SendStrip(const Settings& s, size_t i, size_t count, Destination& out, PieceOutput& output,
               std::string* message) {
    const size_t start = ScanDataStart(out.data, out.size);
    const bool whole = start != 0 && out.size >= start + 2 && out.data[out.size - 2] == 0xFF &&
                       out.data[out.size - 1] == 0xD9;
    if (!whole || (i == 0 && !SetFrameHeight(out.data, start, s.height)))
        return Fail(message, "the compressed strips could not be joined");
    const bool sent = i == 0 ? output.Send(out.data, out.size - 2)
                             : output.Send(kRestartMarkers[(i - 1) % 8], 2) &&
                                   output.Send(out.data + start, out.size - 2 - start);
    output.Release(out);
    if (sent && i + 1 == count && output.Send(kEndOfImage, 2)) return true;
    return (sent && i + 1 < count) || Fail(message, kNotTakenMessage);
}

bool EncodeStrips(const Settings& s, const Plan& plan, PieceOutput& output, std::string* message) {
    const size_t count = (s.height + plan.stripRows - 1) / plan.stripRows;
    std::vector<PieceJob> jobs(count);
    std::vector<std::vector<unsigned char>> scratch(count);
    const bool convert = s.input == Input::Palette || s.input == Input::InvertedGrey;
    for (size_t i = 0; i < count; ++i) {
        PieceJob& job = jobs[i];
        job.settings = &s;
        job.firstRow = static_cast<unsigned>(i) * plan.stripRows;
        job.rows = std::min(plan.stripRows, s.height - job.firstRow);
        if (convert) scratch[i].resize(static_cast<size_t>(kRowsPerCall) * s.width * 3);
        job.scratch = scratch[i].data();
    }
    // Buffers not sent (a failure, an exception) are freed on the way out.
    struct FreeUnsent {
        std::vector<PieceJob>& jobs;
        ~FreeUnsent() {
            for (PieceJob& job : jobs) std::free(job.out.data);
        }
    } freeUnsent{jobs};
    const auto freeOutputs = [&] {
        for (PieceJob& job : jobs) {
            std::free(job.out.data);
            job.out = Destination{};
        }
    };

    std::vector<char> failed(count, 0);
    std::atomic<bool> stop{false};
    // Strips are sent in order by whichever worker finishes the next one to
    // go; the other workers go on compressing meanwhile.
    std::mutex sendMutex;
    std::vector<char> compressed(count, 0);
    size_t nextToSend = 0;
    bool sending = false;
    bool sendFailed = false;
    std::string sendMessage;
    const auto sendReady = [&](size_t finished) {
        std::unique_lock<std::mutex> lock(sendMutex);
        compressed[finished] = 1;
        if (sending) return;
        sending = true;
        while (!stop.load() && nextToSend < count && compressed[nextToSend]) {
            const size_t i = nextToSend++;
            lock.unlock();
            const bool sent = SendStrip(s, i, count, jobs[i].out, output, &sendMessage);
            lock.lock();
            if (!sent) {
                sendFailed = true;
                stop = true;
            }
        }
        sending = false;
    };
    // Each worker takes the next strip from the top, so the strips finish
    // about in order and few wait to be sent.
    const auto runAll = [&](bool send) {
        std::atomic<size_t> next{0};
        const auto workers = std::min<size_t>(
            count, static_cast<size_t>(std::max(1, tbb::this_task_arena::max_concurrency())));
        tbb::parallel_for(size_t{0}, workers, [&](size_t) {
            for (size_t i = next++; i < count && !stop.load(std::memory_order_relaxed);
                 i = next++) {
                if (send) output.Prepare(jobs[i].out);
                if (!CompressPiece(jobs[i])) {
                    failed[i] = 1;
                    stop = true;
                } else if (send) {
                    sendReady(i);
                }
            }
        });
    };
    // The first failing strip's message, in strip order.
    const auto anyFailed = [&] {
        for (size_t i = 0; i < count; ++i) {
            if (failed[i]) {
                if (message) *message = jobs[i].message;
                return true;
            }
        }
        return false;
    };

    // Optimised tables: every strip's symbols are counted first, and all
    // strips are then written with the tables of the summed counts.
    std::unique_ptr<SymbolCounts> merged;
    if (s.optimize) {
        std::vector<SymbolCounts> counts(count);
        std::memset(counts.data(), 0, counts.size() * sizeof(SymbolCounts));
        for (size_t i = 0; i < count; ++i) {
            jobs[i].countInto = &counts[i];
            jobs[i].out.capacity = 4096;
            jobs[i].out.discard = true;
        }
        runAll(false);
        freeOutputs();
        if (anyFailed()) return false;
        merged = std::make_unique<SymbolCounts>();
        std::memset(merged.get(), 0, sizeof(SymbolCounts));
        for (const SymbolCounts& strip : counts) {
            for (int t = 0; t < NUM_HUFF_TBLS; ++t) {
                for (int k = 0; k < 257; ++k) {
                    merged->dc[t][k] += strip.dc[t][k];
                    merged->ac[t][k] += strip.ac[t][k];
                }
            }
        }
    }
    for (PieceJob& job : jobs) {
        job.countInto = nullptr;
        job.tablesFrom = merged.get();
        job.restartInterval = plan.restartInterval;
        job.out.capacity = EstimatedBytes(s, job.rows);
        job.out.discard = false;
    }
    runAll(true);
    if (anyFailed()) return false;
    if (sendFailed || nextToSend < count) {
        if (message) *message = sendMessage;
        return false;
    }
    return true;
}

bool Encode(FIBITMAP* image, int flags, PieceOutput& output, std::string* message, JpegCut cut) {
    if (!image) return Fail(message, "there is no picture to encode");
    if (!FreeImage_HasPixels(image)) return Fail(message, "the picture has no pixels");
    const unsigned bpp = FreeImage_GetBPP(image);
    const FREE_IMAGE_COLOR_TYPE type = FreeImage_GetColorType(image);
    Settings s;
    s.image = image;
    s.width = FreeImage_GetWidth(image);
    s.height = FreeImage_GetHeight(image);
    if (bpp == 24 && FreeImage_GetImageType(image) == FIT_BITMAP) {
        s.input = Input::Bgr;
    } else if (bpp == 8 && type == FIC_MINISBLACK) {
        s.input = Input::Grey;
    } else if (bpp == 8 && type == FIC_MINISWHITE) {
        s.input = Input::InvertedGrey;
    } else if (bpp == 8 && type == FIC_PALETTE) {
        s.input = Input::Palette;
    } else {
        return Fail(message, kDepthMessage);
    }
    s.colour = s.input == Input::Bgr || s.input == Input::Palette;
    s.quality = QualityOf(flags);
    if (s.colour) SamplingOf(flags, &s);
    s.progressive = (flags & JPEG_PROGRESSIVE) == JPEG_PROGRESSIVE;
    s.optimize = (flags & JPEG_OPTIMIZE) == JPEG_OPTIMIZE;
    s.bare = (flags & JPEG_BASELINE) == JPEG_BASELINE;
    // The resolution in dots per inch, rounded as FreeImage rounds it.
    s.xDensity = static_cast<UINT16>(0.5 + 0.0254 * FreeImage_GetDotsPerMeterX(image));
    s.yDensity = static_cast<UINT16>(0.5 + 0.0254 * FreeImage_GetDotsPerMeterY(image));

    try {
        const Plan plan = PlanStrips(s, cut);
        return plan.stripRows == 0 ? EncodeOnePiece(s, output, message)
                                   : EncodeStrips(s, plan, output, message);
    } catch (const std::bad_alloc&) {
        return Fail(message, kMemoryMessage);
    }
}

}  // namespace

bool JpegWriterTakes(FIBITMAP* image) {
    if (!image) return true;
    if (FreeImage_GetThumbnail(image) != nullptr) return false;
    const FIICCPROFILE* profile = FreeImage_GetICCProfile(image);
    if (profile && profile->size > 0 && profile->data) return false;
    for (FREE_IMAGE_MDMODEL model : {FIMD_COMMENTS, FIMD_EXIF_RAW, FIMD_IPTC, FIMD_XMP}) {
        if (FreeImage_GetMetadataCount(model, image) > 0) return false;
    }
    return true;
}

bool EncodeJpeg(FIBITMAP* image, int flags, JpegFile* file, std::string* message, JpegCut cut) {
    if (!file) return Fail(message, "there is no picture to encode");
    PieceOutput output(file);
    if (Encode(image, flags, output, message, cut)) return true;
    *file = JpegFile();
    return false;
}

bool StreamJpeg(FIBITMAP* image, int flags, const JpegSink& sink, std::string* message,
                JpegCut cut) {
    PieceOutput output(sink);
    return Encode(image, flags, output, message, cut);
}

}  // namespace orvex
