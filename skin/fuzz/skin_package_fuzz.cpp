// Loads hostile skins. The first byte chooses what the rest is: 0 a package as stored (the
// decoder's input), 1 an unpacked container (packed here, so that the container, the INI and the
// data objects see it), 2 an INI text packed with two small bitmaps that it may name.
#include <QBuffer>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "skin/skin_data.h"
#include "tools/skinpack/package_writer.h"

namespace {

std::vector<uint8_t> Bitmap(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> PackageOf(uint8_t mode, std::span<const uint8_t> rest) {
    switch (mode % 3) {
        case 0: return {rest.begin(), rest.end()};
        case 1: return skinpack::PackContainer(rest);
        default: {
            static const std::vector<uint8_t> wide = Bitmap(60, 21), tall = Bitmap(13, 40);
            return skinpack::PackContainer(skinpack::BuildContainer(
                {{"a.bmp", wide}, {"b.bmp", tall}, {"skin.ini", std::vector<uint8_t>(rest.begin(), rest.end())}}));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 200000) return 0;
    skin::TSkinData skinData;
    skinData.SetSkinStreamBytes(PackageOf(data[0], std::span(data + 1, size - 1)));
    // A damaged skin is reported, never raised.
    skinData.LoadSkin();
    return 0;
}
