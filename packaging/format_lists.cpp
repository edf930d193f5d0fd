// Fills the lists of image formats and of named sizes into the manual pages
// and the shell completion, from the formats' table (files/image_format.hpp)
// and the sizes' table (state/picture_sizes.hpp), so that a format or a size
// added there shows up in both without touching them:
//
//   textscape_format_lists TEMPLATE OUTPUT
//
// copies TEMPLATE to OUTPUT with each %%KEY%% replaced (see values()); an
// unknown key is an error, so that a misspelt one cannot slip through.
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "files/image_format.hpp"
#include "state/picture_sizes.hpp"

namespace {

using ts::ImageFormatInfo;

template <typename Keep, typename Word>
std::string joined(Keep keep, Word word) {
    std::vector<std::string> words;
    for (const ImageFormatInfo& info : ts::imageFormats())
        if (keep(info)) words.push_back(word(info));
    return ts::wordsJoinedWithOr(words);
}

std::string title(const ImageFormatInfo& info) { return std::string(info.title); }
bool any(const ImageFormatInfo&) { return true; }

// The FORMATS list of the renderer's page: one item per format.
std::string formatList() {
    std::string roff;
    for (const ImageFormatInfo& info : ts::imageFormats()) {
        std::vector<std::string> extensions(info.extensions.begin(), info.extensions.end());
        roff += ".TP\n.B " + std::string(info.name) + "\n" + title(info) + " image (" + std::string(info.mimeType) +
                "), for names ending in " + ts::wordsJoinedWithOr(extensions);
        if (info.carriesRecipe) roff += ";\nit keeps the picture's recipe";
        if (info.format == ts::defaultImageFormat()) roff += ";\nthe default";
        roff += ".";
        if (&info != &ts::imageFormats().back()) roff += "\n";
    }
    return roff;
}

// Text for a page, with the multiplication sign as roff names it, so that
// the page stays ASCII.
std::string roffText(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at).starts_with("\u00d7")) {
            out += "\\(mu";
            at += std::string_view("\u00d7").size();
        } else {
            out += text[at++];
        }
    }
    return out;
}

// The named sizes for the renderer's page: one indented item per size.
std::string sizeList() {
    std::string roff;
    for (const ts::PictureSize& size : ts::pictureSizes()) {
        if (!roff.empty()) roff += "\n";
        roff += ".TP 8\n.B " + std::string(size.name) + "\n" + std::to_string(size.width) + "x" +
                std::to_string(size.height) + ", " + roffText(size.purpose);
    }
    return roff;
}

std::map<std::string, std::string> values() {
    const ImageFormatInfo& standard = ts::imageFormatInfo(ts::defaultImageFormat());
    std::string names;
    for (const ImageFormatInfo& info : ts::imageFormats()) names += (names.empty() ? "" : " ") + std::string(info.name);
    std::string sizeNames;
    for (const ts::PictureSize& size : ts::pictureSizes()) {
        if (!sizeNames.empty()) sizeNames += ' ';
        sizeNames += size.name;
    }
    return {
        {"SIZE_NAMES", sizeNames},                                        // "canvas 2x 4x ...", for the completion
        {"SIZE_LIST", sizeList()},                                        // the renderer's page's list of sizes
        {"FORMAT_NAMES", names},                                          // "png bmp", for the completion
        {"FORMAT_TITLES", joined(any, title)},                            // "PNG or BMP"
        {"FORMAT_LIST", formatList()},                                    // the renderer's page's list
        {"DEFAULT_TITLE", title(standard)},                               // "PNG"
        {"DEFAULT_EXTENSION", std::string(standard.extensions.front())},  // ".png"
        {"WINDOW_FORMAT_TITLES", joined([](const ImageFormatInfo& info) { return info.inWindow; }, title)},
        {"RECIPE_FORMAT_TITLES", joined([](const ImageFormatInfo& info) { return info.carriesRecipe; }, title)},
        {"WINDOW_RECIPE_FORMAT_TITLES",
         joined([](const ImageFormatInfo& info) { return info.inWindow && info.carriesRecipe; }, title)},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: textscape_format_lists TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "textscape_format_lists: cannot read " << argv[1] << '\n';
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::map<std::string, std::string> known = values();

    std::string out;
    std::size_t at = 0;
    for (std::size_t open; (open = text.find("%%", at)) != std::string::npos;) {
        const std::size_t close = text.find("%%", open + 2);
        if (close == std::string::npos) break;
        const std::string key = text.substr(open + 2, close - open - 2);
        const auto value = known.find(key);
        if (value == known.end()) {
            std::cerr << argv[1] << ": unknown key %%" << key << "%%\n";
            return 1;
        }
        out.append(text, at, open - at).append(value->second);
        at = close + 2;
    }
    out.append(text, at);

    std::ofstream written(argv[2], std::ios::binary);
    written << out;
    written.close();
    if (!written) {
        std::cerr << "textscape_format_lists: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
