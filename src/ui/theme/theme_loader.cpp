// Theme packages: listing, display names, and loading a theme's pictures.
// Entry names from "theme.cfg" are only ever looked up in the archive; they
// never become paths on disk.
#include "ui/theme/theme_loader.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "text/ini_reader.h"
#include "text/unicode_case.h"
#include "ui/theme/theme_archive.h"

namespace orvex {
namespace {

constexpr const char* kConfigEntry = "theme.cfg";

bool IsPackageFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// One picture to find: where it goes and which entries hold it.
struct PictureRequest {
    PictureSet* set = nullptr;
    std::string name;
    std::string entry;    // the picture at the set's size
    std::string entry2x;  // the same at twice the size
};

void AddRequests(std::vector<PictureRequest>& requests, PictureSet& set, const auto& names,
                 const std::string& cfg, const char* group, int size) {
    for (std::string_view name : names) {
        const std::string value = ReadIniValue(cfg, group, name);
        if (value.empty()) continue;
        PictureRequest request{&set, std::string(name), value, {}};
        const std::string lower = ToLowerAscii(value);
        const size_t png = lower.rfind(".png");
        if (png == std::string::npos) {
            request.entry = value + "_" + std::to_string(size) + ".png";
            request.entry2x = value + "_" + std::to_string(2 * size) + ".png";
        } else {
            request.entry2x = value.substr(0, png) + "@2x" + value.substr(png);
        }
        requests.push_back(std::move(request));
    }
}

}  // namespace

std::vector<std::string> ThemeFolders(const std::string& appFolder) {
    return {appFolder + "gfx/", appFolder + "../share/orvex/gfx/"};
}

ThemeList ListThemes(const std::vector<std::string>& folders) {
    ThemeList themes;
    for (const std::string& folder : folders) {
        std::error_code error;
        std::filesystem::directory_iterator it(folder, error);
        if (error) continue;
        for (; it != std::filesystem::directory_iterator(); it.increment(error)) {
            if (error) break;
            const std::filesystem::path& path = it->path();
            if (ToLowerAscii(path.extension().string()) != ".zip") continue;
            std::error_code typeError;
            if (!it->is_regular_file(typeError)) continue;
            const std::string id = path.stem().string();
            if (id.empty() || themes.count(id)) continue;
            themes[id] = ThemeInfo{ReadThemeName(path.string()), path.string()};
        }
    }
    return themes;
}

std::string ReadThemeName(const std::string& packagePath) {
    ThemeArchive archive;
    if (!archive.Open(packagePath)) return "";
    return ReadIniValue(archive.UnpackOne(kConfigEntry), "Theme", "Name");
}

ThemeLoadResult LoadTheme(ConversionSettings& settings, const ThemeList& themes,
                          ThemePictures& pictures, PictureSets sets) {
    ThemeLoadResult result;
    auto chosen = themes.find(settings.UiTheme);
    if (chosen == themes.end() || !IsPackageFile(chosen->second.Path)) {
        if (themes.empty()) {
            result.Problem = "no theme package";
            return result;
        }
        // The chosen theme is gone: take the first one there is, and keep it.
        chosen = themes.begin();
        settings.UiTheme = chosen->first;
    }

    ThemeArchive archive;
    if (!archive.Open(chosen->second.Path)) {
        result.Problem = archive.Problem();
        return result;
    }
    const std::string cfg = archive.UnpackOne(kConfigEntry);
    if (cfg.empty()) {
        result.Problem = archive.Problem().empty() ? "no theme.cfg" : archive.Problem();
        return result;
    }
    result.PackageRead = true;

    const int toolbarSize = ToolbarIconPixels(settings.UiSize);
    std::vector<PictureRequest> requests;
    if (sets.Buttons)
        AddRequests(requests, pictures.ButtonImages, kButtonImageNames, cfg, "Buttons", 16);
    if (sets.SmallIcons) AddRequests(requests, pictures.SmallIcons, kIconNames, cfg, "Icons", 16);
    if (sets.ToolbarIcons) {
        AddRequests(requests, pictures.ToolbarIcons, kIconNames, cfg, "Icons", toolbarSize);
    }

    std::vector<std::string> entries;
    for (const PictureRequest& request : requests) {
        if (!archive.Contains(request.entry)) continue;
        entries.push_back(request.entry);
        if (archive.Contains(request.entry2x)) entries.push_back(request.entry2x);
    }
    std::map<std::string, std::string> unpacked;
    if (!archive.Unpack(entries, unpacked)) {
        result.PackageRead = false;
        result.Problem = archive.Problem();
        return result;
    }

    // Decode everything first and only then replace slots, so a picture set
    // is never left half from one package and half from a failed read.
    std::vector<std::pair<const PictureRequest*, ThemePicture>> decoded;
    for (const PictureRequest& request : requests) {
        const auto data = unpacked.find(request.entry);
        if (data == unpacked.end()) continue;
        ThemePicture picture;
        picture.Image = DecodePicture(data->second);
        if (picture.Image.isNull()) continue;
        const auto data2x = unpacked.find(request.entry2x);
        if (data2x != unpacked.end()) {
            QImage image2x = DecodePicture(data2x->second);
            if (image2x.size() == picture.Image.size() * 2) picture.Image2x = std::move(image2x);
        }
        decoded.emplace_back(&request, std::move(picture));
    }
    for (auto& [request, picture] : decoded) {
        (*request->set)[request->name] = std::move(picture);
        ++result.PicturesReplaced;
    }
    if (sets.ToolbarIcons) pictures.ToolbarSize = toolbarSize;
    return result;
}

}  // namespace orvex
