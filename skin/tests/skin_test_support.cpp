#include "skin/tests/skin_test_support.h"

#include <QBuffer>
#include <QPainter>
#include <random>

namespace skin::testing {

std::vector<uint8_t> TextBytes(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<uint8_t> SampleBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    static const std::string words[] = {"[Personality]\r\n",
                                        "LeftWidth=",
                                        "frame",
                                        "     ",
                                        "Image=tab.bmp\r\n",
                                        "\xFF\x00\xFF",
                                        "\x20\x20\x20\x20\x20\x20\x20\x20"};
    std::vector<uint8_t> out;
    while (out.size() < size) {
        switch (random() % 4) {
            case 0: {
                const std::string& w = words[random() % std::size(words)];
                out.insert(out.end(), w.begin(), w.end());
                break;
            }
            case 1: out.insert(out.end(), 1 + random() % 80, static_cast<uint8_t>(random())); break;
            case 2:
                if (out.size() > 10) {
                    const size_t from = random() % out.size(), length = 1 + random() % 70;
                    for (size_t i = 0; i < length; ++i) out.push_back(out[from + i]);
                }
                break;
            default:
                for (int i = 0; i < 20; ++i) out.push_back(static_cast<uint8_t>(random()));
        }
    }
    out.resize(size);
    return out;
}

std::vector<uint8_t> BmpBytes(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    if (width > 0 && height > 0) {
        image.setPixel(0, 0, qRgb(255, 0, 255));
        image.setPixel(width - 1, height - 1, qRgb(255, 0, 255));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> Package(const std::vector<skinpack::TPackageEntry>& entries) {
    return skinpack::PackContainer(skinpack::BuildContainer(entries));
}

}  // namespace skin::testing
