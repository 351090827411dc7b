#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/compound_file.h"

namespace platform::testing {

// Stream path ("Storage/Stream", names as UTF-8 with control characters as \xNN) to its bytes.
using TStreamMap = std::map<std::string, std::vector<uint8_t>>;

inline std::string PathName(const std::u16string& name) {
    std::string out;
    char hex[8];
    for (char16_t c : name) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

inline void CollectStreams(const TCompoundStorage& storage, const std::string& prefix, TStreamMap& out) {
    for (const auto& element : storage.Elements()) {
        const std::string path = prefix + PathName(element.Name);
        if (element.IsStorage)
            CollectStreams(storage.OpenStorage(element.Name), path + "/", out);
        else
            out[path] = storage.ReadStream(element.Name);
    }
}

inline TStreamMap Streams(const TCompoundFile& file) {
    TStreamMap out;
    CollectStreams(file.Root(), "", out);
    return out;
}

inline uint32_t Crc32(const std::vector<uint8_t>& bytes) {
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

// "path<TAB>size<TAB>crc32" lines in path order, the form the outside readers print.
inline std::string Listing(const TStreamMap& streams) {
    std::string out;
    for (const auto& [path, bytes] : streams)
        out += path + "\t" + std::to_string(bytes.size()) + "\t" + std::to_string(Crc32(bytes)) + "\n";
    return out;
}

// Runs a shell command and returns its standard output; exit status in status.
inline std::string RunCommand(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    status = ::pclose(pipe);
    return out;
}

inline std::filesystem::path TempDir(const std::string& name) {
    auto dir = std::filesystem::temp_directory_path() / ("ombrix-cfb-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

}  // namespace platform::testing
