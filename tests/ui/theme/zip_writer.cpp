// ZIP archives and PNG pictures for the theme tests.
#include "ui/theme/zip_writer.h"

#include <archive.h>
#include <archive_entry.h>

#include <QBuffer>
#include <QImage>

namespace orvex::test_support {
namespace {

la_ssize_t Append(archive*, void* target, const void* data, size_t size) {
    static_cast<std::string*>(target)->append(static_cast<const char*>(data), size);
    return static_cast<la_ssize_t>(size);
}

}  // namespace

std::string MakeZip(const std::vector<ZipEntry>& entries, bool deflate) {
    std::string zip;
    archive* writer = archive_write_new();
    archive_write_set_format_zip(writer);
    archive_write_set_options(writer,
                              deflate ? "zip:compression=deflate" : "zip:compression=store");
    archive_write_set_bytes_in_last_block(writer, 1);  // no padding after the archive
    archive_write_open(writer, &zip, nullptr, Append, nullptr);
    for (const ZipEntry& entry : entries) {
        archive_entry* header = archive_entry_new();
        archive_entry_set_pathname(header, entry.name.c_str());
        archive_entry_set_filetype(header, AE_IFREG);
        archive_entry_set_perm(header, 0644);
        archive_entry_set_size(header, static_cast<la_int64_t>(entry.data.size()));
        archive_write_header(writer, header);
        archive_write_data(writer, entry.data.data(), entry.data.size());
        archive_entry_free(header);
    }
    archive_write_close(writer);
    archive_write_free(writer);
    return zip;
}

std::string MakePng(int edge, QColor colour) {
    QImage image(edge, edge, QImage::Format_ARGB32);
    image.fill(colour);
    return EncodePng(image);
}

std::string EncodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

}  // namespace orvex::test_support
