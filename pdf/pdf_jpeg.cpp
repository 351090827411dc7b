// JPEG files through libjpeg: the frame of a file handed over as it stands, decoding for the
// deflated form, and encoding of bitmaps.
#include "pdf/pdf_jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "pdf/pdf_exception.h"

namespace pdf {
namespace {

// The most pixels a JPEG file may have to be decoded here (a page of 8,192 x 8,192).
constexpr uint64_t MaxDecodedPixels = uint64_t(1) << 26;

struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

void JpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<TJpegError*>(info->err)->Jump, 1); }
// Warnings about damaged data are not printed: the caller gets the picture libjpeg makes of it.
void JpegMessage(j_common_ptr, int) {}

[[noreturn]] void NotValid() { throw TPDFException("Not valid image."); }

}  // namespace

namespace {

// Reads the frame and, given samples, decodes into them. The samples belong to the caller, as
// nothing set up after setjmp may be relied on once libjpeg jumps back.
bool RunDecoder(std::string_view data, TJpegFrame& frame, std::vector<uint8_t>* rgb) {
    jpeg_decompress_struct info{};
    TJpegError error{};
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegFail;
    error.Manager.emit_message = JpegMessage;
    if (setjmp(error.Jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    frame = {int(info.image_width), int(info.image_height), info.num_components};
    const bool usable = (info.jpeg_color_space == JCS_GRAYSCALE || info.jpeg_color_space == JCS_YCbCr ||
                         info.jpeg_color_space == JCS_RGB) &&
                        (frame.Components == 1 || frame.Components == 3);
    if (usable && rgb) {
        if (uint64_t(frame.Width) * uint64_t(frame.Height) > MaxDecodedPixels) {
            jpeg_destroy_decompress(&info);
            return false;
        }
        rgb->resize(size_t(frame.Width) * size_t(frame.Height) * 3);
        info.out_color_space = JCS_RGB;
        jpeg_start_decompress(&info);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = rgb->data() + size_t(info.output_scanline) * size_t(frame.Width) * 3;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
    }
    jpeg_destroy_decompress(&info);
    return usable;
}

}  // namespace

TJpegFrame ReadJpegFrame(std::string_view data) {
    TJpegFrame frame;
    if (!RunDecoder(data, frame, nullptr)) NotValid();
    return frame;
}

std::vector<uint8_t> DecodeJpegRGB(std::string_view data) {
    TJpegFrame frame;
    std::vector<uint8_t> rgb;
    if (!RunDecoder(data, frame, &rgb)) NotValid();
    return rgb;
}

std::string EncodeJpeg(const uint8_t* rgb, int width, int height, int quality) {
    jpeg_compress_struct info{};
    TJpegError error{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = JpegFail;
    if (setjmp(error.Jump)) {
        jpeg_destroy_compress(&info);
        free(buffer);
        throw TPDFException("JPEG compression failed");
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(rgb + size_t(info.next_scanline) * size_t(width) * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::string data(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return data;
}

}  // namespace pdf
