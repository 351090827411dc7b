#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/exception.h"

namespace platform {

TMappedFileStream::TMappedFileStream(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw base::EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw base::EFOpenError("Cannot open file \"" + fileName + "\". Not a regular file");
    }
    if (info.st_size > 0) {
        // Populated at once: one call maps every page instead of one fault per page.
        void* mapping =
            ::mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        const int error = errno;
        ::close(fd);
        if (mapping == MAP_FAILED)
            throw base::EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(error));
        Mapping_ = mapping;
        MappedSize_ = static_cast<size_t>(info.st_size);
    } else {
        ::close(fd);
    }
    View_ = base::TMemoryStream::View(Mapping_, static_cast<int64_t>(MappedSize_));
}

TMappedFileStream::~TMappedFileStream() {
    if (Mapping_) ::munmap(Mapping_, MappedSize_);
}

int64_t TMappedFileStream::Write(const void*, int64_t) { throw base::EWriteError("A mapped file is read-only"); }

void TMappedFileStream::Release(int64_t from, int64_t count) {
    if (!Mapping_ || from < 0 || count <= 0 || static_cast<uint64_t>(from) >= MappedSize_) return;
    const auto page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    const uint64_t end = std::min<uint64_t>(MappedSize_, static_cast<uint64_t>(from) + static_cast<uint64_t>(count));
    const uint64_t first = (static_cast<uint64_t>(from) + page - 1) / page * page;
    const uint64_t last = end == MappedSize_ ? end : end / page * page;
    if (first >= last) return;
    // The mapping is private and never written: dropped pages come back from the file unchanged.
    ::madvise(static_cast<uint8_t*>(Mapping_) + first, static_cast<size_t>(last - first), MADV_DONTNEED);
}

void TMappedFileStream::SetSize(int64_t) { throw base::EStreamError("A mapped file cannot be resized"); }

}  // namespace platform
