#include "image/picture_formats.h"

#include "base/errors.h"
#include "image/bmp_codec.h"
#include "image/decoders/picture_decoders.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <mutex>

namespace fringel {

namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

struct Registry {
    std::mutex mutex;
    std::map<std::string, PictureFormat> formats;

    Registry() {
        const auto add = [this](const char* ext, const char* description, PictureDecoder d) {
            formats[ext] = PictureFormat{ext, description, std::move(d)};
        };
        add("TIF", "TIFF file", decodeTiff);
        add("TIFF", "TIFF file", decodeTiff);
        add("PNG", "Portable Network Graphic", decodePng);
        add("JPG", "JPEG", decodeJpeg);
        add("JPEG", "JPEG", decodeJpeg);
        add("BMP", "Bitmap", readBmp);
        // Known formats without a decoder here (some are added by the windows' side).
        for (const auto& [ext, description] :
             {std::pair{"PPM", "Portable Pixelmap"}, std::pair{"PGM", "Portable Greymap"},
              std::pair{"PBM", "Portable Bitmap"}, std::pair{"DCX", "DCX file"},
              std::pair{"EPS", "Encapsulated postscript"}, std::pair{"PCX", "ZSoft PC Paintbrush"},
              std::pair{"PCC", "ZSoft PC Paintbrush"}, std::pair{"TGA", "Truevision Targa"},
              std::pair{"AFI", "Truevision Targa"}, std::pair{"VST", "Truevision Vista"},
              std::pair{"PDF", "PDF file"}, std::pair{"ICO", "Icon"},
              std::pair{"EMF", "Enhanced Metafile"}, std::pair{"WMF", "Metafile"}})
            add(ext, description, {});
    }
};

Registry& registry() {
    static Registry r;
    return r;
}

} // namespace

void registerPictureFormat(std::string extension, std::string description, PictureDecoder decode) {
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    std::string key = upper(extension);
    r.formats[key] = PictureFormat{key, std::move(description), std::move(decode)};
}

std::optional<PictureFormat> pictureFormat(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    const auto it = r.formats.find(upper(extension));
    if (it == r.formats.end()) return std::nullopt;
    return it->second;
}

std::string pictureExtension(const std::string& fileName) {
    const std::string ext =
        std::filesystem::path(reinterpret_cast<const char8_t*>(fileName.c_str()))
            .extension()
            .string();
    return upper(ext.empty() ? ext : ext.substr(1));
}

Bitmap loadPicture(const std::string& fileName) {
    const std::string ext = pictureExtension(fileName);
    const std::optional<PictureFormat> format = pictureFormat(ext);
    if (!format)
        throw FileError(fileName, ext.empty() ? "the file name has no extension that names a "
                                                "picture format"
                                              : "unknown picture format \"." + ext +
                                                    "\": no decoder is registered for it");
    if (!format->decode)
        throw FileError(fileName, format->description + " pictures (." + ext +
                                      ") cannot be read by this program");
    return format->decode(fileName);
}

} // namespace fringel
