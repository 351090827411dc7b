#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/stream.h"
#include "pdf/pdf_security.h"

namespace pdf {

// Numbers the indirect objects of one file, writes them through a buffer and keeps the
// offset of each for the cross-reference table.
class TPDFObjectWriter {
public:
    explicit TPDFObjectWriter(std::unique_ptr<base::TStream> output);
    ~TPDFObjectWriter();
    TPDFObjectWriter(const TPDFObjectWriter&) = delete;
    TPDFObjectWriter& operator=(const TPDFObjectWriter&) = delete;

    int NextObjectNumber();
    int ObjectCount() const { return static_cast<int>(Offsets_.size()); }
    // Numbers the object when number < 1, records its offset and writes "N 0 obj" and "<<"
    // (the first entry follows "<<" on the same line).
    void BeginObject(int& number);
    void WriteLine(std::string_view text, bool lineBreak = true);
    void WriteBytes(std::string_view bytes);
    void EndDictionary() { WriteLine(">>"); }
    void EndObject() { WriteLine("endobj"); }
    void BeginStream() { WriteLine("stream"); }
    void EndStream() { WriteLine("endstream"); }
    // A stream object of the given dictionary entries after /Length.
    void WriteStreamObject(int& number, std::string_view bytes, std::string_view extraEntries);

    // Strings and streams of the file are encrypted from now on with these values (null: none).
    void SetSecurity(const TPDFSecurity* security) { Security_ = security; }
    // The bytes of a string or stream of object `number` as the file stores them.
    std::string Crypt(std::string_view bytes, int number) const {
        return Security_ ? Security_->Crypt(bytes, number) : std::string(bytes);
    }

    // Current file offset, checked to fit the 32-bit offsets of the format.
    uint32_t Offset() const;
    // "xref" section and its returned offset; every object must have been written.
    uint32_t WriteXref();
    void Flush();

private:
    std::unique_ptr<base::TStream> Output_;
    std::string Buffer_;
    int64_t Flushed_ = 0;
    std::vector<uint32_t> Offsets_;  // index = object number - 1
    const TPDFSecurity* Security_ = nullptr;
};

// The 32-bit file offset of a position; positions beyond 2 GB raise TPDFException.
uint32_t ToFileOffset(int64_t position);

}  // namespace pdf
