// Timed scenario: the memory-card export of 400 day files (64,728 records, the size of two full
// report sheets) into the record list alone, into the PDF report and into the Excel report, in
// the real window offscreen: records per second, total time, the peak memory, and the longest
// time the window went without handling its events while the export ran. The peak memory is the
// process's: name one run ("list", "pdf" or "excel") to have it for that export alone.
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "bench/console/offscreen_host.h"
#include "console/form1.h"
#include "platform/testing/test_files.h"
#include "tools/instrument/card_writer.h"
#include "tools/instrument/history_store.h"

namespace {

using Clock = std::chrono::steady_clock;

long PeakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void Run(const char* what, console::Tform1& form, bool pdf, bool workbook) {
    form.ListBox3->clear();
    form.BitBtn28->click();
    form.CheckBox7->setChecked(pdf);
    form.CheckBox4->setChecked(workbook);
    // A timer every 5 ms notes how long the event loop went without turning.
    Clock::time_point last = Clock::now();
    std::vector<double> gaps;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        gaps.push_back(std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    });
    tick.start();
    last = Clock::now();
    const Clock::time_point start = Clock::now();
    form.BitBtn30->click();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // One more turn of the loop measures the stretch from the last file to the end (the save).
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    tick.stop();
    const double saving = gaps.empty() ? 0 : gaps.back();
    const double reading = gaps.size() < 2 ? 0 : *std::max_element(gaps.begin(), gaps.end() - 1);
    const int records = form.ListBox3->count();
    // The PDF report pauses a second before it asks whether to open the file.
    const double working = pdf ? seconds - 1.0 : seconds;
    std::printf(
        "%s: %d records in %.3f s (%.3f s of work: the PDF report's 1 s pause before its question left out), %.0f "
        "records/s, "
        "longest time without event handling %.1f ms while the files were read, %.1f ms for the last file and "
        "the save, peak memory %ld KiB\n",
        what, records, seconds, working, records / working, reading, saving, PeakMemoryKiB());
    std::printf("  %s\n", form.Edit7->text().toStdString().c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const console::bench::TOffscreenHost host(argc, argv);
    const platform::testing::TTempDir& folder = host.Folder();

    // 64,728 records over 400 days: a record every 533 seconds.
    instrument::TInstrumentState state;
    instrument::GenerateHistory(state, 64728, {2023, 1, 1, 0, 0, 0}, 533);
    const std::string card = folder / "card";
    const size_t days = instrument::WriteCard(state, card);
    std::printf("card: %zu day files, %u records\n", days, state.HistoryTotal);

    console::Tform1::ReadCardDrives = [card] { return std::vector<std::string>{card}; };
    auto form = std::make_unique<console::Tform1>();
    form->BitBtn22->click();
    const QString only = argc > 1 ? QString(argv[1]) : QString();
    if (only.isEmpty() || only == "list") Run("record list only", *form, false, false);
    if (only.isEmpty() || only == "pdf") Run("record list and PDF report", *form, true, false);
    if (only.isEmpty() || only == "excel") Run("record list and Excel report", *form, false, true);
    const QStringList pdfs = QDir("data").entryList({"*.pdf"});
    if (!pdfs.isEmpty())
        std::printf("PDF: %lld bytes\n", static_cast<long long>(QFileInfo(QDir("data"), pdfs[0]).size()));
    const QStringList workbooks = QDir("data").entryList({"*.xls"});
    if (!workbooks.isEmpty())
        std::printf("Excel: %lld bytes\n", static_cast<long long>(QFileInfo(QDir("data"), workbooks[0]).size()));
    form.reset();
    return 0;
}
