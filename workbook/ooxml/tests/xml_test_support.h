#pragma once

#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "workbook/ooxml/xml/xml_reader.h"

namespace xls::testing {

// A stream that hands out at most Step bytes per read, to put chunk ends everywhere.
class TTrickleStream : public base::TMemoryStream {
public:
    explicit TTrickleStream(const std::string& bytes, int64_t step) : Step_(step) {
        Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        SetPosition(0);
    }
    int64_t Read(void* buffer, int64_t count) override {
        return base::TMemoryStream::Read(buffer, std::min(count, Step_));
    }

private:
    int64_t Step_;
};

// Writes every callback as one line: "<name a=v>text", "</name>tail", "!comment", "?name".
class TEventRecorder : public TXpgReadXML {
public:
    std::vector<std::string> Events;

    void BeginTag() override;
    void EndTag() override;
    void Comment() override;
    void ProcessingInstruction() override;

    // Parses bytes (in pieces of step bytes) and returns the events joined with "\n".
    std::string Run(const std::string& bytes, int64_t step = 1 << 20, bool tolerant = false);
};

std::string Utf8(const std::u16string& text);

}  // namespace xls::testing
