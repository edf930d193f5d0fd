#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/bmp_writer.hpp"
#include "files/jpeg_encoder.hpp"
#include "files/png_recipe.hpp"
#include "files/webp_encoder.hpp"
#include "platform/outcome.hpp"
#include "platform/raster.hpp"

namespace ts {

// An image format is added here: its value in ImageFormat and its entry in
// kImageFormats below (see docs/ARCHITECTURE.md, "Adding an image format").
enum class ImageFormat { Png, Bmp, Webp, Jpeg };

// Puts the bytes of a file holding the raster into `bytes`; a format that
// carries the recipe writes it in. A format may refuse a picture (WebP's
// sides are limited): the Outcome then says why, in a few words.
using ImageEncoder = Outcome (*)(const Raster& raster, const PictureRecipe& recipe, std::vector<std::uint8_t>& bytes);

// One image format the programs write. kImageFormats is the one list of
// them: the renderer's --format, its default names and its help, the
// window's Save as and Open, the manual pages and the shell completion all
// read it (through imageFormats()).
struct ImageFormatInfo {
    ImageFormat format;
    std::string_view name;                         // --format's value, lower case: "png"
    std::string_view title;                        // what the user reads: "PNG"
    std::span<const std::string_view> extensions;  // lower case, with the dot; the first is given to new files
    std::string_view mimeType;                     // "image/png"
    ImageEncoder encode;
    bool lossless;       // the file decodes to exactly the picture's pixels
    bool carriesRecipe;  // the file keeps the text and the parameter line, so it can be opened again
    bool inWindow;       // the window's Save as offers it
};

inline constexpr std::string_view kPngExtensions[] = {".png"};
inline constexpr std::string_view kBmpExtensions[] = {".bmp"};
inline constexpr std::string_view kWebpExtensions[] = {".webp"};
inline constexpr std::string_view kJpegExtensions[] = {".jpg", ".jpeg"};

// Every format, the default first: the renderer writes it unless told
// otherwise, and Save as offers it first.
inline constexpr ImageFormatInfo kImageFormats[] = {
    // format, name, title, extensions, MIME type, encoder, lossless, carries the recipe, offered by the window
    {ImageFormat::Png, "png", "PNG", kPngExtensions, "image/png", encodePngFile, true, true, true},
    {ImageFormat::Bmp, "bmp", "BMP", kBmpExtensions, "image/bmp", encodeBmpFile, true, false, true},
    {ImageFormat::Webp, "webp", "WebP", kWebpExtensions, "image/webp", encodeWebpFile, true, false, true},
    {ImageFormat::Jpeg, "jpeg", "JPEG", kJpegExtensions, "image/jpeg", encodeJpegFile, false, false, true},
};

std::span<const ImageFormatInfo> imageFormats();

const ImageFormatInfo& imageFormatInfo(ImageFormat format);
ImageFormat defaultImageFormat();

// The format among `formats` a file name asks for by its extension (in any
// case), or nothing for any other name.
std::optional<ImageFormat> imageFormatOf(const std::filesystem::path& file,
                                         std::span<const ImageFormatInfo> formats = imageFormats());

// The format called `name` (in any case): "png", "BMP".
std::optional<ImageFormat> imageFormatNamed(std::string_view name);

// Words as a sentence lists them: "png", "png or bmp", "png, bmp or webp".
std::string wordsJoinedWithOr(std::span<const std::string> words);

}  // namespace ts
