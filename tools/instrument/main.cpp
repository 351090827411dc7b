// ombrix-instrument: the instrument stand-in on a pseudo-terminal, for the demo and for
// trying the console by hand. Serves until SIGINT or SIGTERM.
#include <signal.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "base/exception.h"
#include "tools/instrument/card_writer.h"
#include "tools/instrument/history_store.h"
#include "tools/instrument/instrument_server.h"

namespace {

constexpr const char* Usage =
    "usage: ombrix-instrument [options]\n"
    "  --address N        instrument address, 1..247 (default 1)\n"
    "  --baud N           9600, 19200, 115200 or 1000000 (default 9600)\n"
    "  --model N          model byte, decimal or 0x hex (default 0x14)\n"
    "  --name NAME        name of the link in the virtual-port folder (default ombrix-z200)\n"
    "  --history N        N unread history records, the last one taken now (default 0)\n"
    "  --interval S       seconds between the history records (default 60)\n"
    "  --events N         N unread alarm and event records (default 0)\n"
    "  --card DIR         write the history as a memory card in DIR: DIR/THdb<address>/YYYYMMDD.hhw\n"
    "faults:\n"
    "  --silent           answer nothing\n"
    "  --silent-next N    answer none of the first N requests\n"
    "  --corrupt-crc      send replies with a wrong CRC\n"
    "  --chunk N          send replies in pieces of N bytes\n"
    "  --chunk-pause MS   pause between the pieces\n"
    "  --reply-address N  answer from address N\n"
    "  --delay MS         answer after MS milliseconds\n";

uint32_t Number(std::string_view option, const char* text, uint32_t max) {
    std::string_view digits = text;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || value > max)
        throw base::Exception(std::string(option) + ": not a number up to " + std::to_string(max) + ": " + text);
    return value;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        instrument::TInstrumentSettings settings;
        instrument::TFaults faults;
        std::string name = "ombrix-z200";
        uint32_t history = 0;
        uint32_t interval = 60;
        uint16_t events = 0;
        std::string card;
        for (int i = 1; i < argc; ++i) {
            const std::string_view option = argv[i];
            if (option == "--help" || option == "-h") {
                std::fputs(Usage, stdout);
                return 0;
            }
            if (option == "--silent") {
                faults.Silent = true;
                continue;
            }
            if (option == "--corrupt-crc") {
                faults.CorruptCrc = true;
                continue;
            }
            if (i + 1 >= argc) throw base::Exception(std::string(option) + " wants a value\n" + Usage);
            const char* value = argv[++i];
            if (option == "--address")
                settings.Address = static_cast<uint8_t>(Number(option, value, 255));
            else if (option == "--baud")
                settings.BaudRate = Number(option, value, 0xFFFFFFFF);
            else if (option == "--model")
                settings.Model = static_cast<uint8_t>(Number(option, value, 255));
            else if (option == "--name")
                name = value;
            else if (option == "--history")
                history = Number(option, value, 10000000);
            else if (option == "--interval")
                interval = Number(option, value, 86400);
            else if (option == "--card")
                card = value;
            else if (option == "--events")
                events = static_cast<uint16_t>(Number(option, value, 65535));
            else if (option == "--silent-next")
                faults.SilentRequests = Number(option, value, 0xFFFFFFFF);
            else if (option == "--chunk")
                faults.ChunkSize = Number(option, value, 256);
            else if (option == "--chunk-pause")
                faults.ChunkPause = std::chrono::milliseconds(Number(option, value, 3600000));
            else if (option == "--reply-address")
                faults.ReplyAddress = static_cast<uint8_t>(Number(option, value, 255));
            else if (option == "--delay")
                faults.ReplyDelay = std::chrono::milliseconds(Number(option, value, 3600000));
            else
                throw base::Exception("unknown option " + std::string(option) + "\n" + Usage);
        }

        // Blocked before the server's thread starts, so that only sigwait below takes them.
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);

        instrument::TInstrumentServer server(settings);
        server.SetFaults(faults);
        server.Instrument().Update([&](instrument::TInstrumentState& s) {
            const int64_t now = instrument::HostLocalSeconds(std::chrono::system_clock::now());
            const int64_t first = now - int64_t{std::max<uint32_t>(interval, 1)} * (history > 0 ? history - 1 : 0);
            instrument::GenerateHistory(s, history, instrument::FromCivilSeconds(first), interval);
            s.AlarmTotal = s.AlarmUnread = events;
            if (!card.empty())
                std::fprintf(stderr, "card: %zu day files in %s\n", instrument::WriteCard(s, card), card.c_str());
        });
        const std::string link = server.Publish(name);
        std::printf("%s\n%s\n", server.SlavePath().c_str(), link.c_str());
        std::fflush(stdout);
        int received = 0;
        sigwait(&signals, &received);
        server.PullPort();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ombrix-instrument: %s\n", e.what());
        return 1;
    }
}
