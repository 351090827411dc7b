// Skin packages: decoding a 5 MB package (bitmaps with gradients, edges and noise, as skins
// have them, and an INI text) and loading the console's own skin from its package.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <fstream>
#include <iterator>
#include <random>

#include "skin/skin_data.h"
#include "skin/skin_manage.h"
#include "skin/skin_reader.h"
#include "skin/vidavev_form.h"
#include "tools/skinpack/package_writer.h"

namespace {

std::vector<uint8_t> SkinLikeBitmap(int index) {
    QImage image(420, 300, QImage::Format_RGB32);
    QLinearGradient gradient(0, 0, 0, 300);
    gradient.setColorAt(0, QColor(40 + index * 9, 90, 160));
    gradient.setColorAt(1, QColor(200, 210 - index * 5, 230));
    QPainter painter(&image);
    painter.fillRect(image.rect(), gradient);
    std::mt19937 random(static_cast<unsigned>(index));
    for (int i = 0; i < 400; ++i) {
        painter.setPen(QColor(static_cast<int>(random() % 256), static_cast<int>(random() % 256), 255));
        painter.drawRect(static_cast<int>(random() % 400), static_cast<int>(random() % 280), 12, 9);
    }
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {bytes.begin(), bytes.end()};
}

const std::vector<uint8_t>& FiveMegabytePackage() {
    static const std::vector<uint8_t> package = [] {
        std::vector<skinpack::TPackageEntry> entries;
        size_t total = 0;
        for (int i = 0; total < 5 * 1000 * 1000; ++i) {
            entries.push_back({(std::string("image") += std::to_string(i)) += ".bmp", SkinLikeBitmap(i)});
            total += entries.back().Data.size();
        }
        const std::string ini = "[Buttons]\r\nBitmap=image0.bmp\r\n";
        entries.push_back({"skin.ini", {ini.begin(), ini.end()}});
        return skinpack::PackContainer(skinpack::BuildContainer(entries));
    }();
    return package;
}

void BM_DecodePackage(benchmark::State& state) {
    const auto& package = FiveMegabytePackage();
    const auto unpacked = static_cast<int64_t>(skin::TSkinReader::Unpack(package).size());
    for (auto _ : state) {
        skin::TSkinReader reader;
        benchmark::DoNotOptimize(reader.LoadPackage(package));
    }
    state.SetBytesProcessed(state.iterations() * unpacked);
    state.counters["packed_bytes"] = static_cast<double>(package.size());
    state.counters["unpacked_bytes"] = static_cast<double>(unpacked);
}
BENCHMARK(BM_DecodePackage)->Unit(benchmark::kMillisecond);

void BM_LoadConsoleSkin(benchmark::State& state) {
    std::ifstream file(OMBRIX_SKIN_PACKAGE, std::ios::binary);
    const std::vector<uint8_t> package{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    for (auto _ : state) {
        skin::TSkinData data;
        data.SetSkinStreamBytes(package);
        if (!data.LoadSkin()) state.SkipWithError(data.LoadError().c_str());
    }
}
BENCHMARK(BM_LoadConsoleSkin)->Unit(benchmark::kMillisecond);

// A full repaint of the skinned frame and caption of a window the console's size (client 570 x
// 617 inside our skin's frame), on the offscreen platform.
void BM_PaintConsoleFrame(benchmark::State& state) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "skin_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    std::ifstream file(OMBRIX_SKIN_PACKAGE, std::ios::binary);
    skin::TSkinManage::Install();
    skin::TSkinData data;
    data.SetActive(true);
    data.SetSkinStreamBytes({std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
    if (!data.LoadSkin()) state.SkipWithError(data.LoadError().c_str());
    data.Loaded();
    auto* manager = static_cast<skin::TSkinManage*>(skin::SkinManager());
    QWidget window;
    window.setWindowTitle("Ombrix-Z200");
    window.setFixedSize(570, 617);
    window.show();
    manager->SkinWindow(&window);
    QCoreApplication::sendPostedEvents();
    skin::TVidAvevForm* skinner = manager->FindSkinner(&window);
    if (!skinner) state.SkipWithError("the window was not skinned");
    QImage target(window.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&target);
        skinner->PaintFrame(painter);
    }
    state.counters["width"] = window.width();
    state.counters["height"] = window.height();
    skin::FreeSkinManager();
}
BENCHMARK(BM_PaintConsoleFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
