#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pdf {

// The frame of a JPEG file: size in pixels and colour components (1 grey, 3 colour).
struct TJpegFrame {
    int Width = 0;
    int Height = 0;
    int Components = 0;
};

// Reads the frame header of a JPEG file with libjpeg; a file it cannot read, or one that is
// neither grey nor colour, raises TPDFException "Not valid image.".
TJpegFrame ReadJpegFrame(std::string_view data);
// Decodes a JPEG file into 24-bit samples (red, green, blue, rows top first; grey widened);
// raises TPDFException "Not valid image." for damaged data or a picture too large to decode.
std::vector<uint8_t> DecodeJpegRGB(std::string_view data);
// Encodes 24-bit samples (red, green, blue, rows top first) as a baseline JPEG file.
std::string EncodeJpeg(const uint8_t* rgb, int width, int height, int quality);

}  // namespace pdf
