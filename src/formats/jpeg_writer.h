// The program's JPEG writer, on libjpeg-turbo: FreeImage's JPEG save flags and
// file layout, with large pictures cut into strips that are compressed side by
// side and joined with restart markers into one baseline file.
#pragma once

#include <FreeImage.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvex {

// How a picture is cut into strips of whole MCU rows.
struct JpegCut {
    // MCU rows per strip; 0 lets the writer choose by the picture's size
    // (small and progressive pictures stay one piece). Any count at or
    // above the picture's MCU rows gives one piece.
    int mcuRowsPerStrip = 0;

    static JpegCut Auto() { return {}; }
    static JpegCut OnePiece() { return {1 << 30}; }
    static JpegCut Strips(int mcuRows) { return {mcuRows}; }
};

// An encoded JPEG file held as pieces that follow each other: the strips'
// compressed data and the markers between them, so that nothing is copied
// into one block only to be written out.
class JpegFile {
  public:
    JpegFile();
    ~JpegFile();
    JpegFile(JpegFile&&) noexcept;
    JpegFile& operator=(JpegFile&&) noexcept;

    const std::vector<std::string_view>& Pieces() const { return m_pieces; }
    size_t Size() const;
    // The whole file in one string.
    std::string Join() const;

  private:
    friend class JpegFileBuilder;
    struct Buffers;
    std::unique_ptr<Buffers> m_buffers;
    std::vector<std::string_view> m_pieces;
};

// True when the writer writes everything FreeImage's JPEG writer would write
// for `image`: pictures that carry comments, Exif, IPTC or XMP metadata, an
// ICC profile or a thumbnail are left to FreeImage, which copies them into
// the file.
bool JpegWriterTakes(FIBITMAP* image);

// Encodes `image` (24-bit colour, or 8-bit grey or palette) with FreeImage's
// JPEG save `flags`: quality in the low seven bits, chroma subsampling,
// progressive, optimised Huffman tables, and the bare baseline file without
// JFIF or any other APPn marker. The file's pixels decode exactly as those of
// FreeImage's file of the same flags. False with the library's message in
// `message` when the picture cannot be encoded (a depth the writer does not
// take, a size JPEG cannot hold, memory).
bool EncodeJpeg(FIBITMAP* image, int flags, JpegFile* file, std::string* message,
                JpegCut cut = JpegCut::Auto());

// Receives a file's bytes in order; false refuses them and stops the encode.
using JpegSink = std::function<bool(std::string_view bytes)>;

// Encodes as EncodeJpeg does, handing the file's bytes to `sink` in order
// while the picture is being compressed: a large picture's first strips are
// written out while its last are still compressed, and their buffers serve
// the strips to come. False when the picture cannot be encoded or the sink
// refused bytes; the sink may then have had part of the file.
bool StreamJpeg(FIBITMAP* image, int flags, const JpegSink& sink, std::string* message,
                JpegCut cut = JpegCut::Auto());

}  // namespace orvex
