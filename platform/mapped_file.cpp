#include "platform/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

void TMappedFileStream::SetSize(int64_t) { throw base::EStreamError("A mapped file cannot be resized"); }

}  // namespace platform
