#include "pdf/pdf_object_writer.h"

#include <limits>

#include "pdf/pdf_encoding.h"
#include "pdf/pdf_exception.h"
#include "pdf/pdf_number_format.h"

namespace pdf {
namespace {
constexpr size_t FlushSize = 1 << 16;
}

uint32_t ToFileOffset(int64_t position) {
    if (position < 0 || position > std::numeric_limits<int32_t>::max())
        throw TPDFException("PDF file size exceeds 2 GB");
    return static_cast<uint32_t>(position);
}

TPDFObjectWriter::TPDFObjectWriter(std::unique_ptr<base::TStream> output) : Output_(std::move(output)) {}

TPDFObjectWriter::~TPDFObjectWriter() = default;

int TPDFObjectWriter::NextObjectNumber() {
    Offsets_.push_back(0);
    return ObjectCount();
}

void TPDFObjectWriter::BeginObject(int& number) {
    if (number < 1) number = NextObjectNumber();
    const uint32_t offset = Offset();
    if (number > ObjectCount()) throw TPDFException("Out of range");
    Offsets_[number - 1] = offset;
    std::string line;
    AppendPDFInt(line, number);
    line += " 0 obj";
    WriteLine(line);
    WriteLine("<<", false);
}

void TPDFObjectWriter::WriteLine(std::string_view text, bool lineBreak) {
    Buffer_ += text;
    if (lineBreak) Buffer_ += "\r\n";
    if (Buffer_.size() >= FlushSize) Flush();
}

void TPDFObjectWriter::WriteBytes(std::string_view bytes) {
    if (bytes.size() >= FlushSize) {
        Flush();
        Output_->WriteBuffer(bytes.data(), int64_t(bytes.size()));
        Flushed_ += int64_t(bytes.size());
        return;
    }
    WriteLine(bytes, false);
}

void TPDFObjectWriter::WriteStreamObject(int& number, std::string_view bytes, std::string_view extraEntries) {
    BeginObject(number);
    std::string length = "/Length ";
    AppendPDFInt(length, int64_t(bytes.size()));
    WriteLine(length);
    if (!extraEntries.empty()) WriteLine(extraEntries);
    EndDictionary();
    BeginStream();
    WriteBytes(Crypt(bytes, number));
    WriteLine("");
    EndStream();
    EndObject();
}

uint32_t TPDFObjectWriter::Offset() const { return ToFileOffset(Flushed_ + int64_t(Buffer_.size())); }

uint32_t TPDFObjectWriter::WriteXref() {
    const uint32_t start = Offset();
    WriteLine("xref");
    std::string line = "0 ";
    AppendPDFInt(line, ObjectCount() + 1);
    WriteLine(line);
    WriteLine("0000000000 65535 f");
    for (uint32_t offset : Offsets_) {
        line = ZeroPad(offset, 10);
        line += " 00000 n";
        WriteLine(line);
    }
    return start;
}

void TPDFObjectWriter::Flush() {
    if (Buffer_.empty()) return;
    Output_->WriteBuffer(Buffer_.data(), int64_t(Buffer_.size()));
    Flushed_ += int64_t(Buffer_.size());
    Buffer_.clear();
}

}  // namespace pdf
