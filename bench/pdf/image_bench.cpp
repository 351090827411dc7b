// Timed scenario of the PDF writer's images, side by side with other producers in the same run:
// 1. Group 4 coding of an A4 page at 300 dpi (2,480 x 3,508, one bit) against libtiff's
//    `tiffcp -c g4` of the same page (its run with `-c none` shows what starting it costs);
// 2. a 20-page document of 1,000 x 1,000 colour photos as JPEG against libharu: from bitmaps
//    (both JPEG-coded by libjpeg at the same quality), and from JPEG files handed over as they
//    stand. Time (the best of five runs) and file size of each.
#include <hpdf.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "base/byte_reader.h"
#include "pdf/pdf_ccitt.h"
#include "pdf/pdf_document.h"
#include "pdf/pdf_jpeg.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A page of text-like ink: lines of words of small glyph blocks, with a frame and rules.
std::vector<uint8_t> FaxPage(int width, int height) {
    const size_t stride = (size_t(width) + 7) / 8;
    std::vector<uint8_t> bits(stride * size_t(height), 0xFF);  // set bits are white
    auto black = [&](int x, int y) { bits[size_t(y) * stride + size_t(x >> 3)] &= uint8_t(~(0x80 >> (x & 7))); };
    uint32_t seed = 12345;
    auto next = [&seed]() { return seed = seed * 1103515245 + 12345, (seed >> 16) & 0x7FFF; };
    for (int y = 150; y + 40 < height - 150; y += 50)
        for (int x = 150; x < width - 200;) {
            const int glyphs = 2 + int(next() % 9);
            for (int g = 0; g < glyphs && x < width - 200; ++g, x += 30)
                for (int dy = 0; dy < 36; ++dy)
                    for (int dx = 0; dx < 24; ++dx)
                        if ((dx < 4 || dy < 4 || (next() % 7 == 0)) && dx + dy % 3 < 26) black(x + dx, y + dy);
            x += 40;
        }
    for (int x = 100; x < width - 100; ++x) black(x, 100), black(x, height - 100);
    for (int y = 100; y < height - 100; ++y) black(100, y), black(width - 100, y);
    return bits;
}

// An uncompressed one-strip bilevel TIFF (0 is black).
void WriteTiff(const std::string& file, const std::vector<uint8_t>& bits, int width, int height) {
    std::string tiff = "II*";
    tiff += '\0';
    base::AppendLE32(tiff, 8);
    const uint16_t entries = 9;
    const uint32_t dataAt = 8 + 2 + entries * 12 + 4;
    base::AppendLE16(tiff, entries);
    auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
        base::AppendLE16(tiff, tag);
        base::AppendLE16(tiff, type);
        base::AppendLE32(tiff, 1);
        base::AppendLE32(tiff, type == 3 ? value & 0xFFFF : value);
    };
    entry(256, 4, uint32_t(width));
    entry(257, 4, uint32_t(height));
    entry(258, 3, 1);  // bits per sample
    entry(259, 3, 1);  // no compression
    entry(262, 3, 1);  // black is zero
    entry(273, 4, dataAt);
    entry(277, 3, 1);  // samples per pixel
    entry(278, 4, uint32_t(height));
    entry(279, 4, uint32_t(bits.size()));
    base::AppendLE32(tiff, 0);
    tiff.append(bits.begin(), bits.end());
    FILE* out = std::fopen(file.c_str(), "wb");
    std::fwrite(tiff.data(), 1, tiff.size(), out);
    std::fclose(out);
}

double TimeCommand(const std::string& command, int runs) {
    const auto start = Clock::now();
    for (int i = 0; i < runs; ++i)
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "failed: %s\n", command.c_str());
            std::exit(1);
        }
    return Seconds(start) / runs;
}

void FaxBenchmark(const std::string& folder) {
    constexpr int Width = 2480, Height = 3508;
    const std::vector<uint8_t> page = FaxPage(Width, Height);
    const pdf::TMonoBitmap bitmap{page.data(), Width, Height, (Width + 7) / 8};
    constexpr int Runs = 30;
    std::string stream;
    const auto start = Clock::now();
    for (int i = 0; i < Runs; ++i) {
        stream.clear();
        pdf::CCITTCompressBitmap(bitmap, stream, pdf::TCCITTMode::Group4);
    }
    const double ours = Seconds(start) / Runs;
    const std::string tiff = folder + "/page.tif";
    WriteTiff(tiff, page, Width, Height);
    constexpr int ToolRuns = 10;
    const double copy = TimeCommand("tiffcp -c none " + tiff + " " + folder + "/copy.tif", ToolRuns);
    const double g4 = TimeCommand("tiffcp -c g4 " + tiff + " " + folder + "/g4.tif", ToolRuns);
    std::printf("G4, one A4 page at 300 dpi (%d x %d)\n", Width, Height);
    std::printf("  ours              %8.2f ms  %7.1f pages/s  %8zu bytes\n", ours * 1e3, 1 / ours, stream.size());
    std::printf("  tiffcp -c g4      %8.2f ms  %7.1f pages/s  %8ju bytes (file)\n", g4 * 1e3, 1 / g4,
                uintmax_t(std::filesystem::file_size(folder + "/g4.tif")));
    std::printf("  tiffcp -c none    %8.2f ms  (starting and copying alone)\n", copy * 1e3);
    const double coding = g4 - copy;
    if (coding > 0) std::printf("  tiffcp coding     %8.2f ms  %7.1f pages/s\n", coding * 1e3, 1 / coding);
}

// A smooth photo-like picture with some grain, different on every page.
pdf::TPDFBitmap Photo(int side, int page) {
    pdf::TPDFBitmap bitmap{side, side, 24, {}};
    bitmap.Pixels.resize(size_t(side) * size_t(side) * 3);
    uint32_t seed = uint32_t(page) * 7919 + 1;
    uint8_t* p = bitmap.Pixels.data();
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            seed = seed * 1664525 + 1013904223;
            const int grain = int(seed >> 28) - 8;
            const int dx = x - side / 2 - page * 10, dy = y - side / 3;
            *p++ = uint8_t(std::clamp(x * 255 / side + grain, 0, 255));
            *p++ = uint8_t(std::clamp(255 - (dx * dx + dy * dy) / (side * 3) + grain, 0, 255));
            *p++ = uint8_t(std::clamp((x + y) * 127 / side + grain, 0, 255));
        }
    return bitmap;
}

struct TResult {
    double Seconds;
    uintmax_t Bytes;
};

TResult Ours(const std::vector<pdf::TPDFBitmap>& photos, const std::vector<std::string>& files,
             const std::string& file) {
    const auto start = Clock::now();
    pdf::TPDFDocument document;
    document.SetFileName(file);
    document.SetOnePass(true);
    document.SetJPEGQuality(80);
    document.BeginDoc();
    for (size_t i = 0; i < photos.size() + files.size(); ++i) {
        if (i) document.NewPage();
        const int index = i < photos.size() ? document.AddImage(photos[i], pdf::TPDFImageCompression::icJPEG)
                                            : document.AddImage(pdf::TPDFJpeg{files[i - photos.size()]},
                                                                pdf::TPDFImageCompression::icJPEG);
        // A 1,000-pixel photo over most of the page's width (device units of 1/72 inch).
        document.CurrentPage()->ShowImage(index, 40, 40, 500, 500, 0);
    }
    document.EndDoc();
    return {Seconds(start), std::filesystem::file_size(file)};
}

TResult Harus(const std::vector<pdf::TPDFBitmap>& photos, const std::vector<std::string>& files,
              const std::string& file) {
    const auto start = Clock::now();
    HPDF_Doc pdf = HPDF_New(nullptr, nullptr);
    for (size_t i = 0; i < photos.size() + files.size(); ++i) {
        std::string jpeg;
        if (i < photos.size()) jpeg = pdf::EncodeJpeg(photos[i].Pixels.data(), photos[i].Width, photos[i].Height, 80);
        const std::string& data = i < photos.size() ? jpeg : files[i - photos.size()];
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetSize(page, HPDF_PAGE_SIZE_A4, HPDF_PAGE_PORTRAIT);
        HPDF_Image image =
            HPDF_LoadJpegImageFromMem(pdf, reinterpret_cast<const HPDF_BYTE*>(data.data()), HPDF_UINT(data.size()));
        HPDF_Page_DrawImage(page, image, 40, 842 - 540, 500, 500);
    }
    HPDF_SaveToFile(pdf, file.c_str());
    HPDF_Free(pdf);
    return {Seconds(start), std::filesystem::file_size(file)};
}

// The best of a few runs, as other work on the machine only ever slows one down.
template <class TRun>
void Print(const char* who, TRun run) {
    TResult best = run();
    for (int i = 1; i < 5; ++i) {
        const TResult r = run();
        if (r.Seconds < best.Seconds) best = r;
    }
    std::printf("  %-28s %8.1f ms  %10ju bytes\n", who, best.Seconds * 1e3, best.Bytes);
}

void PhotoBenchmark(const std::string& folder) {
    constexpr int Pages = 20, Side = 1000;
    std::vector<pdf::TPDFBitmap> photos;
    std::vector<std::string> files;
    for (int i = 0; i < Pages; ++i) {
        photos.push_back(Photo(Side, i));
        files.push_back(pdf::EncodeJpeg(photos.back().Pixels.data(), Side, Side, 80));
    }
    std::printf("\n%d pages of %d x %d colour photos as JPEG (quality 80)\n", Pages, Side, Side);
    Print("ours, from bitmaps", [&] { return Ours(photos, {}, folder + "/ours.pdf"); });
    Print("libharu, from bitmaps", [&] { return Harus(photos, {}, folder + "/haru.pdf"); });
    Print("ours, JPEG files as they are", [&] { return Ours({}, files, folder + "/ours-files.pdf"); });
    Print("libharu, JPEG files", [&] { return Harus({}, files, folder + "/haru-files.pdf"); });
}

}  // namespace

int main() {
    const std::string folder = (std::filesystem::temp_directory_path() / "ombrix-image-bench").string();
    std::filesystem::create_directories(folder);
    FaxBenchmark(folder);
    PhotoBenchmark(folder);
    std::filesystem::remove_all(folder);
}
