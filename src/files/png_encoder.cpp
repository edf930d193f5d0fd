#include "files/png_encoder.hpp"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "numeric/check.hpp"

namespace ts {
namespace {

// Chosen by measuring the fifteen pictures of the benchmark, one per shape
// formula (see png_encoder.hpp): level 1 makes them larger than Qt's files,
// level 3 takes half as long again as level 2.
constexpr int kZlibLevel = 2;

// Where libpng's output, its memory and its complaints are kept. It lives
// outside the frame that libpng's errors jump back to.
struct Sink {
    std::vector<std::uint8_t>* bytes = nullptr;
    bool outOfMemory = false;
    char message[160] = {};  // fixed, so that keeping it cannot fail
};

Sink& sinkOf(png_structp png, bool io) {
    return *static_cast<Sink*>(io ? png_get_io_ptr(png) : png_get_error_ptr(png));
}

void writeBytes(png_structp png, png_bytep data, png_size_t size) {
    Sink& sink = sinkOf(png, true);
    bool grown = true;
    try {
        sink.bytes->insert(sink.bytes->end(), data, data + size);
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    // Raised only here, once nothing with a destructor is left in this frame.
    if (!grown) {
        sink.outOfMemory = true;
        png_error(png, "out of memory");
    }
}

void flushBytes(png_structp) {}

[[noreturn]] void onError(png_structp png, png_const_charp message) {
    Sink& sink = sinkOf(png, false);
    std::snprintf(sink.message, sizeof sink.message, "%s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// libpng's and zlib's memory, so that running out of it can be told apart
// from the library's other errors.
png_voidp allocate(png_structp png, png_alloc_size_t size) {
    void* memory = std::malloc(size);
    if (memory == nullptr) static_cast<Sink*>(png_get_mem_ptr(png))->outOfMemory = true;
    return memory;
}

void release(png_structp, png_voidp memory) { std::free(memory); }

bool validKey(const std::string& key) {
    if (key.empty() || key.size() > 79 || key.front() == ' ' || key.back() == ' ') return false;
    if (key.find("  ") != std::string::npos) return false;  // libpng would fold them
    return std::all_of(key.begin(), key.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 32 && u <= 126) || u >= 161;
    });
}

bool isAscii(const std::string& value) {
    return std::all_of(value.begin(), value.end(), [](char c) { return static_cast<unsigned char>(c) < 128; });
}

// Owns what libpng makes for one file.
struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

// All of libpng's work, in a frame that holds nothing with a destructor:
// an error comes back here through longjmp and gives false.
bool writeWithLibpng(png_structp png, png_infop info, const Raster& raster, png_textp texts, int textCount,
                     png_uint_32 pixelsPerMetre, bool srgb) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(raster.width()), static_cast<png_uint_32>(raster.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (pixelsPerMetre != 0) png_set_pHYs(png, info, pixelsPerMetre, pixelsPerMetre, PNG_RESOLUTION_METER);
    if (srgb) png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    if (textCount > 0) png_set_text(png, info, texts, textCount);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, kZlibLevel);
    png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
    png_write_info(png, info);

    // The raster's 0xFFRRGGBB pixels are read as they lie in memory.
    if constexpr (std::endian::native == std::endian::little) {
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        png_set_bgr(png);
    } else {
        png_set_filler(png, 0, PNG_FILLER_BEFORE);
    }
    const std::uint32_t* row = raster.data();
    for (int y = 0; y < raster.height(); ++y, row += raster.width())
        png_write_row(png, reinterpret_cast<png_const_bytep>(row));
    png_write_end(png, info);
    return true;
}

}  // namespace

Outcome encodePng(const Raster& raster, const PngMetadata& metadata, std::vector<std::uint8_t>& png) {
    std::vector<png_text> texts;
    texts.reserve(metadata.texts.size());
    for (const PngText& text : metadata.texts) {
        TS_CHECK(validKey(text.key), "a PNG text key of 1 to 79 printable characters, without double spaces");
        TS_CHECK(text.value.find('\0') == std::string::npos, "a PNG text value without NUL");
        png_text chunk{};
        TS_CHECK(!(text.latin1 && text.international), "a PNG text either Latin-1 or international");
        chunk.compression = !text.latin1 && (text.international || !isAscii(text.value)) ? PNG_ITXT_COMPRESSION_NONE
                                                                                          : PNG_TEXT_COMPRESSION_NONE;
        // libpng copies them and changes nothing.
        chunk.key = const_cast<char*>(text.key.c_str());
        chunk.text = const_cast<char*>(text.value.c_str());
        texts.push_back(chunk);
    }

    std::vector<std::uint8_t> bytes;
    // About what the pictures compress to, so that the vector rarely grows.
    bytes.reserve(static_cast<std::size_t>(raster.width()) * static_cast<std::size_t>(raster.height()) / 4 + 1024);
    Sink sink{&bytes};
    PngWriter writer;
    writer.png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &sink, onError, onWarning, &sink, allocate, release);
    if (writer.png == nullptr) throw std::bad_alloc();
    writer.info = png_create_info_struct(writer.png);
    if (writer.info == nullptr) throw std::bad_alloc();
    png_set_write_fn(writer.png, &sink, writeBytes, flushBytes);

    if (!writeWithLibpng(writer.png, writer.info, raster, texts.data(), static_cast<int>(texts.size()),
                         metadata.pixelsPerMetre.value_or(0), metadata.srgb)) {
        if (sink.outOfMemory) throw std::bad_alloc();
        return Outcome::failed(Failure::WriteFailed, std::string("the PNG encoder failed: ") + sink.message);
    }
    png = std::move(bytes);
    return Outcome::ok();
}

}  // namespace ts
