// The built-in pictures (compiled in as Qt resources from the same artwork
// as the default theme package) and the decoding of theme pictures.
#include "ui/theme/theme_pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPixmap>
#include <QString>

#include "text/unicode_case.h"

// Registers the compiled-in resources of this static library; harmless when
// the linker has already pulled them in.
static void InitBuiltinPictureResources() { Q_INIT_RESOURCE(builtin_pictures); }

namespace orvex {
namespace {

// The largest edge a theme picture may have: far above any icon or button,
// far below what would make decoding costly.
constexpr int kMaxPictureEdge = 1024;

QImage LoadResource(const QString& path) {
    QImage image(path);
    if (image.isNull()) return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Built-in icons lie under ":/orvex/icons/<name>_<size>.png", buttons under
// ":/orvex/buttons/<name>.png" and "<name>@2x.png", names lower-cased.
void FillSet(PictureSet& set, std::string_view kind, const auto& names, int size) {
    for (std::string_view name : names) {
        const QString base =
            QString::fromStdString(":/orvex/" + std::string(kind) + "/" + ToLowerAscii(name));
        ThemePicture picture;
        if (size > 0) {
            picture.Image = LoadResource(base + QString("_%1.png").arg(size));
            picture.Image2x = LoadResource(base + QString("_%1.png").arg(2 * size));
        } else {
            picture.Image = LoadResource(base + ".png");
            picture.Image2x = LoadResource(base + "@2x.png");
        }
        set[std::string(name)] = std::move(picture);
    }
}

}  // namespace

int ToolbarIconPixels(int32_t uiSize) {
    switch (uiSize) {
        case 1:
            return 24;
        case 2:
            return 32;
        case 3:
            return 48;
        case 4:
            return 64;
        default:
            return 16;
    }
}

QIcon ThemePicture::Icon() const {
    QIcon icon;
    if (!Image.isNull()) icon.addPixmap(QPixmap::fromImage(Image));
    if (!Image2x.isNull()) icon.addPixmap(QPixmap::fromImage(Image2x));
    return icon;
}

const ThemePicture& ThemePictures::Find(const PictureSet& set, std::string_view name) {
    static const ThemePicture kNone;
    const auto it = set.find(std::string(name));
    return it == set.end() ? kNone : it->second;
}

void FillBuiltinPictures(ThemePictures& pictures, int32_t uiSize, PictureSets sets) {
    static const bool registered = [] {
        InitBuiltinPictureResources();
        return true;
    }();
    (void)registered;
    if (sets.Buttons) FillSet(pictures.ButtonImages, "buttons", kButtonImageNames, 0);
    if (sets.SmallIcons) FillSet(pictures.SmallIcons, "icons", kIconNames, 16);
    if (sets.ToolbarIcons) {
        pictures.ToolbarSize = ToolbarIconPixels(uiSize);
        FillSet(pictures.ToolbarIcons, "icons", kIconNames, pictures.ToolbarSize);
    }
}

QImage DecodePicture(const std::string& bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Look at the declared size before anything is allocated for the pixels.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxPictureEdge || size.height() > kMaxPictureEdge) {
        return {};
    }
    QImage image = reader.read();
    if (image.isNull()) return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

const IconTable& IconIdentifierTable(int table) {
    static const IconTable first{{"Convert", 2}, {"InFiles", 3}, {"InFolder", 4}};
    static const IconTable second{
        {"New", 5},        {"Add", 6},          {"InFiles", 7},      {"InFolder", 8},
        {"OutFolder", 9},  {"OutFormat", 10},   {"FavFolder", 11},   {"ImportFiles", 12},
        {"ExportFiles", 13}, {"Exit", 14},      {"Copy", 15},        {"Delete", 16},
        {"SelectAll", 17}, {"Convert", 18},     {"Error", 19},       {"Preferences", 20},
        {"CustomConverter", 21}, {"Help", 22},  {"Email", 25},       {"Web", 26},
        {"Updates", 27},   {"About", 28},       {"Preview", 23}};
    // Table 3 repeats table 2 with every number moved up by 24.
    static const IconTable third = [] {
        IconTable shifted = second;
        for (auto& entry : shifted) entry.second += 24;
        return shifted;
    }();
    static const IconTable empty;
    switch (table) {
        case 1: return first;
        case 2: return second;
        case 3: return third;
        default: return empty;
    }
}

}  // namespace orvex
