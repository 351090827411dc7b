#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/exception.h"
#include "platform/compound_file.h"

namespace {

void ReadAll(const platform::TCompoundStorage& storage) {
    std::vector<uint8_t> chunk(4096);
    for (const auto& element : storage.Elements()) {
        if (element.IsStorage) {
            ReadAll(storage.OpenStorage(element.Name));
            continue;
        }
        auto stream = storage.OpenStream(element.Name);
        while (stream->Read(chunk.data(), static_cast<int64_t>(chunk.size())) > 0) {
        }
    }
}

}  // namespace

// Opens a compound file from the input and reads every stream; malformed input must end in
// an exception, never in a crash, a hang or a huge allocation.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const auto file = platform::TCompoundFile::OpenMemory(std::vector<uint8_t>(data, data + size));
        ReadAll(file->Root());
        file->SaveToBytes();
    } catch (const base::Exception&) {
    }
    return 0;
}
