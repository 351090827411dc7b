#include "base/file_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/exception.h"

namespace base {

TFileStream::TFileStream(const std::string& fileName, uint32_t mode) : FileName_(fileName) {
    if (mode == fmCreate) {
        Fd_ = ::open(fileName.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (Fd_ < 0) throw EFCreateError("Cannot create file \"" + fileName + "\". " + std::strerror(errno));
        return;
    }
    int flags = O_RDONLY;
    switch (mode & 0x3) {
        case fmOpenWrite: flags = O_WRONLY; break;
        case fmOpenReadWrite: flags = O_RDWR; break;
        default: break;
    }
    Fd_ = ::open(fileName.c_str(), flags | O_CLOEXEC);
    if (Fd_ < 0) throw EFOpenError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
}

TFileStream::~TFileStream() {
    if (Fd_ >= 0) ::close(Fd_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    int64_t done = 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::read(Fd_, bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    int64_t done = 0;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    while (done < count) {
        const ssize_t n = ::write(Fd_, bytes + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = SEEK_SET;
    if (origin == TSeekOrigin::soCurrent) whence = SEEK_CUR;
    if (origin == TSeekOrigin::soEnd) whence = SEEK_END;
    const off_t position = ::lseek(Fd_, static_cast<off_t>(offset), whence);
    if (position < 0) throw EStreamError("Invalid stream position in \"" + FileName_ + "\"");
    return position;
}

void TFileStream::SetSize(int64_t newSize) {
    if (newSize < 0 || ::ftruncate(Fd_, static_cast<off_t>(newSize)) != 0)
        throw EStreamError("Cannot set the size of \"" + FileName_ + "\"");
    if (Position() > newSize) SetPosition(newSize);
}

}  // namespace base
