// Theme packages written by tests: ZIP archives built in memory with
// libarchive's writer, and small one-colour PNG pictures to put in them.
#pragma once

#include <QColor>
#include <QImage>
#include <string>
#include <utility>
#include <vector>

namespace orvex::test_support {

struct ZipEntry {
    std::string name;
    std::string data;
};

// A ZIP archive of the entries, deflated (or stored when `deflate` is false).
std::string MakeZip(const std::vector<ZipEntry>& entries, bool deflate = true);

// A square PNG of the given edge filled with one colour, with alpha.
std::string MakePng(int edge, QColor colour);

// The picture as PNG bytes.
std::string EncodePng(const QImage& image);

}  // namespace orvex::test_support
