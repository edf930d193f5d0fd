#include "files/png_encoder.hpp"

#include <libdeflate.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "numeric/check.hpp"

namespace ts {
namespace {

// Chosen by measuring the fifteen pictures of the benchmark, one per shape
// formula (see png_encoder.hpp): level 1 makes them 13 % smaller than Qt's
// files in half the time zlib takes at its level 2; libdeflate's level 2
// makes them smaller again, by 15 %, in half as long again.
constexpr int kDeflateLevel = 1;

// libdeflate's compressor for this thread, made on its first picture and
// used for every later one: it is not to be shared between threads.
libdeflate_compressor* threadCompressor() {
    struct Free {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    thread_local const std::unique_ptr<libdeflate_compressor, Free> compressor(
        libdeflate_alloc_compressor(kDeflateLevel));
    if (!compressor) throw std::bad_alloc();
    return compressor.get();
}

// Bytes that are all written before they are read, so not cleared first.
struct Bytes {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    explicit Bytes(std::size_t n) : data(std::make_unique_for_overwrite<std::uint8_t[]>(n)), size(n) {}
};

// The image data PNG compresses: each row's filter type (0, none: the
// pictures' colours repeat along a row, and deflate finds that as it is)
// followed by its pixels' red, green and blue bytes.
Bytes unfilteredRows(const Raster& raster) {
    const auto width = static_cast<std::size_t>(raster.width());
    const std::size_t rowBytes = 1 + 3 * width;
    Bytes rows(rowBytes * static_cast<std::size_t>(raster.height()));
    const std::uint32_t* pixel = raster.data();
    for (std::uint8_t* row = rows.data.get(); row != rows.data.get() + rows.size; row += rowBytes) {
        row[0] = 0;
        std::uint8_t* out = row + 1;
        for (std::size_t x = 0; x < width; ++x, out += 3) {
            const std::uint32_t p = *pixel++;
            out[0] = static_cast<std::uint8_t>(p >> 16);
            out[1] = static_cast<std::uint8_t>(p >> 8);
            out[2] = static_cast<std::uint8_t>(p);
        }
    }
    return rows;
}

// The rows as one zlib stream, the contents of the IDAT chunks.
Bytes compressedRows(const Raster& raster) {
    const Bytes rows = unfilteredRows(raster);
    libdeflate_compressor* compressor = threadCompressor();
    Bytes compressed(libdeflate_zlib_compress_bound(compressor, rows.size));
    compressed.size =
        libdeflate_zlib_compress(compressor, rows.data.get(), rows.size, compressed.data.get(), compressed.size);
    TS_CHECK(compressed.size > 0, "deflate's output fits within its bound");
    return compressed;
}

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
// an error comes back here through longjmp and gives false. libpng writes
// every chunk, the image data too: the header, the colour space, pHYs and
// the texts, then IDAT with the data compressed here, then IEND.
bool writeWithLibpng(png_structp png, png_infop info, const Raster& raster, png_textp texts, int textCount,
                     png_uint_32 pixelsPerMetre, bool srgb, const Bytes& imageData) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(raster.width()), static_cast<png_uint_32>(raster.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (pixelsPerMetre != 0) png_set_pHYs(png, info, pixelsPerMetre, pixelsPerMetre, PNG_RESOLUTION_METER);
    if (srgb) png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    if (textCount > 0) png_set_text(png, info, texts, textCount);
    png_write_info(png, info);
    // In chunks of a size any reader holds easily.
    constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
    for (std::size_t at = 0; at < imageData.size; at += kChunkBytes)
        png_write_chunk(png, reinterpret_cast<png_const_bytep>("IDAT"), imageData.data.get() + at,
                        std::min(kChunkBytes, imageData.size - at));
    png_write_chunk(png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
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

    const Bytes imageData = compressedRows(raster);
    std::vector<std::uint8_t> bytes;
    // The chunks besides the image data are a few hundred bytes.
    bytes.reserve(imageData.size + 4096);
    Sink sink{&bytes};
    PngWriter writer;
    writer.png = png_create_write_struct_2(PNG_LIBPNG_VER_STRING, &sink, onError, onWarning, &sink, allocate, release);
    if (writer.png == nullptr) throw std::bad_alloc();
    writer.info = png_create_info_struct(writer.png);
    if (writer.info == nullptr) throw std::bad_alloc();
    png_set_write_fn(writer.png, &sink, writeBytes, flushBytes);

    if (!writeWithLibpng(writer.png, writer.info, raster, texts.data(), static_cast<int>(texts.size()),
                         metadata.pixelsPerMetre.value_or(0), metadata.srgb, imageData)) {
        if (sink.outOfMemory) throw std::bad_alloc();
        return Outcome::failed(Failure::WriteFailed, std::string("the PNG encoder failed: ") + sink.message);
    }
    png = std::move(bytes);
    return Outcome::ok();
}

}  // namespace ts
