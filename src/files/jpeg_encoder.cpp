#include "files/jpeg_encoder.hpp"

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

#include "numeric/check.hpp"

namespace ts {
namespace {

// libjpeg's error manager with the place its errors jump back to.
struct JpegError {
    jpeg_error_mgr manager;  // first, so that libjpeg's pointer to it is one to the whole
    std::jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

void onMessage(j_common_ptr, int) {}  // warnings and traces are not shown

[[noreturn]] void failFor(j_compress_ptr info, int code) {
    info->err->msg_code = code;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    std::abort();  // error_exit does not return
}

// Where libjpeg writes the file: the free end of a vector, which grows as
// it fills. (libjpeg's own memory destination loses its buffer on an error.)
struct VectorDestination {
    jpeg_destination_mgr manager;  // first, as with JpegError
    std::vector<std::uint8_t>* bytes;
};

VectorDestination& destinationOf(j_compress_ptr info) { return *reinterpret_cast<VectorDestination*>(info->dest); }

// Makes room after the first `used` bytes, at least doubling the vector.
void makeRoom(j_compress_ptr info, std::size_t used) {
    std::vector<std::uint8_t>& bytes = *destinationOf(info).bytes;
    bool grown = true;
    try {
        bytes.resize(std::max<std::size_t>(used * 2, std::size_t{64} << 10));
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    if (!grown) failFor(info, JERR_OUT_OF_MEMORY);
    info->dest->next_output_byte = bytes.data() + used;
    info->dest->free_in_buffer = bytes.size() - used;
}

void startDestination(j_compress_ptr info) { makeRoom(info, 0); }

// Called when the room is all used.
boolean fillDestination(j_compress_ptr info) {
    makeRoom(info, destinationOf(info).bytes->size());
    return TRUE;
}

void endDestination(j_compress_ptr info) {
    std::vector<std::uint8_t>& bytes = *destinationOf(info).bytes;
    bytes.resize(bytes.size() - info->dest->free_in_buffer);
}

// Owns libjpeg's compressor.
struct JpegWriter {
    jpeg_compress_struct info{};
    JpegError error{};
    VectorDestination destination{};
    bool created = false;
    ~JpegWriter() {
        if (created) jpeg_destroy_compress(&info);
    }
};

// All of libjpeg's work, in a frame that holds nothing with a destructor:
// an error comes back here through longjmp and gives false.
bool writeWithLibjpeg(JpegWriter& w, const Raster& raster, int quality) {
    if (setjmp(w.error.jump)) return false;
    w.created = true;
    jpeg_create_compress(&w.info);
    w.info.dest = &w.destination.manager;
    w.info.image_width = static_cast<JDIMENSION>(raster.width());
    w.info.image_height = static_cast<JDIMENSION>(raster.height());
    w.info.input_components = 4;
    // The raster's 0xFFRRGGBB pixels are read as they lie in memory.
    w.info.in_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_set_defaults(&w.info);
    jpeg_set_quality(&w.info, quality, TRUE);
    w.info.comp_info[0].h_samp_factor = 1;
    w.info.comp_info[0].v_samp_factor = 1;
    w.info.density_unit = 1;  // dots per inch
    w.info.X_density = 96;
    w.info.Y_density = 96;
    jpeg_start_compress(&w.info, TRUE);
    // libjpeg only reads the rows, though it asks for them writable.
    auto* pixels = const_cast<std::uint32_t*>(raster.data());
    while (w.info.next_scanline < w.info.image_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels + static_cast<std::size_t>(w.info.next_scanline) *
                                                               static_cast<std::size_t>(raster.width()));
        jpeg_write_scanlines(&w.info, &row, 1);
    }
    jpeg_finish_compress(&w.info);
    return true;
}

}  // namespace

Outcome encodeJpeg(const Raster& raster, int quality, std::vector<std::uint8_t>& jpeg) {
    TS_CHECK(quality >= 1 && quality <= 100, "a JPEG quality from 1 to 100");
    std::vector<std::uint8_t> bytes;
    JpegWriter writer;
    writer.destination = {{nullptr, 0, startDestination, fillDestination, endDestination}, &bytes};
    writer.info.err = jpeg_std_error(&writer.error.manager);
    writer.error.manager.error_exit = onError;
    writer.error.manager.emit_message = onMessage;
    if (!writeWithLibjpeg(writer, raster, quality)) {
        if (writer.error.manager.msg_code == JERR_OUT_OF_MEMORY) throw std::bad_alloc();
        char message[JMSG_LENGTH_MAX] = {};
        writer.error.manager.format_message(reinterpret_cast<j_common_ptr>(&writer.info), message);
        return Outcome::failed(Failure::WriteFailed, std::string("the JPEG encoder failed: ") + message);
    }
    jpeg = std::move(bytes);
    return Outcome::ok();
}

Outcome encodeJpegFile(const Raster& raster, const PictureRecipe&, std::vector<std::uint8_t>& jpeg) {
    return encodeJpeg(raster, kJpegQuality, jpeg);
}

}  // namespace ts
