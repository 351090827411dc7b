#include "workbook/ooxml/zip/zip_archive_intf.h"

#include <utility>

#include "base/format.h"

namespace xls {

namespace {

// Splits a path at its last "/"; a "/" in the first position does not split.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const size_t at = path.rfind('/');
    if (at == std::string::npos || at == 0) return {std::string(), path};
    return {path.substr(0, at), path.substr(at + 1)};
}

std::string JoinPath(std::string folder, std::string name) {
    if (!folder.empty() && folder.back() == '/') folder.pop_back();
    if (!name.empty() && name.front() == '/') name.erase(0, 1);
    return folder.empty() ? name : folder + "/" + name;
}

}  // namespace

TXLSOwnerStream::TXLSOwnerStream(TXLSZipFile& entry, std::string name)
    : Entry_(entry), Reader_(entry), Alive_(entry.Owner().EntriesToken()), Name_(std::move(name)) {
    Reader_.Open();
}

TXLSOwnerStream::~TXLSOwnerStream() = default;

TXLSZipFile& TXLSOwnerStream::Entry() {
    if (Alive_.expired()) throw EZipError(base::Format("The archive of zip entry \"%s\" was closed", {Name_}));
    return Entry_;
}

TXLSZipEntryReader& TXLSOwnerStream::Reader() {
    Entry();
    return Reader_;
}

TXLSZipArchiveIntfXLS::TXLSZipArchiveIntfXLS() : Zip_(std::make_unique<TXLSZipArchive>()) {}

int TXLSZipArchiveIntfXLS::Count() { return Zip_->Count(); }

void TXLSZipArchiveIntfXLS::OpenRead(base::TStream& stream) { Zip_->OpenFromStream(stream); }

int TXLSZipArchiveIntfXLS::Find(const std::string& name) { return Zip_->IndexOf(name); }

std::optional<std::string> TXLSZipArchiveIntfXLS::DuplicateName() {
    const int index = Zip_->FirstDuplicate();
    if (index < 0) return std::nullopt;
    return Zip_->GetFiles(index).Name();
}

std::unique_ptr<TXLSOwnerStream> TXLSZipArchiveIntfXLS::OpenFile(const std::string& name) {
    const int index = Find(name);
    if (index < 0) throw EZipError(base::Format("Can not find file %s in ZIP", {name}));
    TXLSZipFile& entry = Zip_->GetFiles(index);
    return std::make_unique<TXLSOwnerStream>(entry, entry.Name());
}

std::unique_ptr<base::TStream> TXLSZipArchiveIntfXLS::CreateFile(const std::string& path) {
    auto [folder, name] = SplitPath(path);
    return CreateFile(folder, name);
}

std::unique_ptr<base::TStream> TXLSZipArchiveIntfXLS::CreateFile(const std::string& folder, const std::string& name) {
    return Zip_->BeginEntry(JoinPath(folder, name));
}

void TXLSZipArchiveIntfXLS::CloseFile(std::unique_ptr<base::TStream> stream) {
    auto* compression = dynamic_cast<TCompressionStream*>(stream.get());
    if (compression == nullptr) throw EZipError("Stream is not TCompressionStream");
    stream.release();
    Zip_->EndEntry(std::unique_ptr<TCompressionStream>(compression));
}

void TXLSZipArchiveIntfXLS::AddFile(const std::string& path, base::TStream& stream) {
    auto [folder, name] = SplitPath(path);
    AddFile(folder, name, stream);
}

void TXLSZipArchiveIntfXLS::AddFile(const std::string& folder, const std::string& name, base::TStream& stream) {
    stream.SetPosition(0);
    Zip_->AddStream(JoinPath(folder, name), stream);
}

TXLSZipArchive& TXLSZipArchiveIntfXLS::OpenWrite(base::TStream& stream) {
    Zip_->OpenForWrite(stream);
    return *Zip_;
}

void TXLSZipArchiveIntfXLS::Close() { Zip_->Close(); }

}  // namespace xls
