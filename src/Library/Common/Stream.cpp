// The plain file and memory streams (see PackStream.h), and what they share with the
// pack files.
#include "Library/Common/PackStream.h"
#include "Library/Common/StreamFiles.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

int PackLockWaitMs = 5000;

namespace stream_files {

std::string Q(const std::string& pathUtf8) { return "\"" + Utf8ToWin1251(pathUtf8) + "\""; }

std::string SysError(int err) { return Utf8ToWin1251(std::strerror(err)); }

void RaiseOpenError(const std::string& path, int err, bool create)
{
    throw EFOpenError((create ? "Cannot create file " : "Cannot open file ") + Q(path) + ". "
                      + SysError(err));
}

void LockFd(int fd, int op, const std::string& path)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(PackLockWaitMs);
    while (::flock(fd, op | LOCK_NB) != 0) {
        int err = errno;
        if (err == EINTR)
            continue;
        if (err != EWOULDBLOCK)
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            throw EFOpenError("Cannot open file " + Q(path)
                              + ". The file is in use by another process");
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace stream_files

using namespace stream_files;

// ---------------------------------------------------------------------------
// TStream

int64_t TStream::Position() { return Seek(0, TSeekOrigin::soCurrent); }

void TStream::SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

int64_t TStream::Size()
{
    int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count)
{
    if (count > 0 && Read(buffer, count) != count)
        throw EStreamError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count)
{
    if (count > 0 && Write(buffer, count) != count)
        throw EStreamError("Stream write error");
}

std::string TStream::ReadAll()
{
    std::string s;
    int64_t rest = Size() - Position();
    if (rest > 0) {
        s.resize(size_t(rest));
        s.resize(size_t(Read(s.data(), rest)));
    }
    // Files whose size is not known ahead (or that grew) are read to their real end.
    char chunk[65536];
    for (int64_t n; (n = Read(chunk, sizeof chunk)) > 0;)
        s.append(chunk, size_t(n));
    return s;
}

// ---------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const std::string& path, uint16_t mode) : FileName_(path)
{
    int flags = 0;
    int lock = LOCK_EX;
    switch (mode) {
    case fmOpenRead: flags = O_RDONLY; lock = LOCK_SH; break;
    case fmOpenWrite: flags = O_WRONLY; break;
    case fmOpenReadWrite: flags = O_RDWR; break;
    case fmCreate: flags = O_RDWR | O_CREAT; break;
    default: throw EPackError("Unsupported file open mode");
    }
    Fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (Fd < 0)
        RaiseOpenError(path, errno, mode == fmCreate);
    struct stat st;
    if (::fstat(Fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(Fd);
        RaiseOpenError(path, err, mode == fmCreate);
    }
    try {
        LockFd(Fd, lock, path);
    } catch (...) {
        ::close(Fd);
        throw;
    }
    // Emptied only once the lock is held, so that a reader never sees it cut short.
    if (mode == fmCreate && ::ftruncate(Fd, 0) != 0) {
        int err = errno;
        ::close(Fd);
        RaiseOpenError(path, err, true);
    }
}

TFileStream::~TFileStream()
{
    if (Fd >= 0)
        ::close(Fd);
}

int64_t TFileStream::Read(void* buffer, int64_t count)
{
    char* p = static_cast<char*>(buffer);
    int64_t total = 0;
    while (total < count) {
        ssize_t n = ::read(Fd, p + total, size_t(std::min<int64_t>(count - total, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EStreamError("Cannot read file " + Q(FileName_) + ". " + SysError(errno));
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count)
{
    const char* p = static_cast<const char*>(buffer);
    int64_t total = 0;
    while (total < count) {
        ssize_t n = ::write(Fd, p + total, size_t(std::min<int64_t>(count - total, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EStreamError("Cannot write file " + Q(FileName_) + ". "
                               + SysError(n < 0 ? errno : EIO));
        total += n;
    }
    return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                 : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                    : SEEK_END;
    off_t r = ::lseek(Fd, off_t(offset), whence);
    if (r < 0)
        throw EStreamError("Invalid stream position");
    return int64_t(r);
}

void TFileStream::SetSize(int64_t newSize)
{
    if (newSize < 0 || ::ftruncate(Fd, off_t(newSize)) != 0)
        throw EStreamError("Cannot set the size of file " + Q(FileName_) + ". "
                           + SysError(newSize < 0 ? EINVAL : errno));
    if (Position() > newSize)
        Seek(newSize, TSeekOrigin::soBeginning);
}

// ---------------------------------------------------------------------------
// TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count)
{
    int64_t size = int64_t(Data_.size());
    if (count <= 0 || Pos >= size)
        return 0;
    int64_t n = std::min(count, size - Pos);
    std::memcpy(buffer, Data_.data() + Pos, size_t(n));
    Pos += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count)
{
    if (count <= 0)
        return 0;
    if (count > INT64_MAX - Pos || uint64_t(Pos + count) > Data_.max_size())
        throw EStreamError("Stream write error");
    if (Pos + count > int64_t(Data_.size()))
        Data_.resize(size_t(Pos + count));
    std::memcpy(Data_.data() + Pos, buffer, size_t(count));
    Pos += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                   : origin == TSeekOrigin::soCurrent ? Pos
                                                      : int64_t(Data_.size());
    int64_t target;
    if (__builtin_add_overflow(base, offset, &target) || target < 0)
        throw EStreamError("Invalid stream position");
    Pos = target;
    return Pos;
}

void TMemoryStream::SetSize(int64_t newSize)
{
    if (newSize < 0 || uint64_t(newSize) > Data_.max_size())
        throw EStreamError("Invalid stream size");
    Data_.resize(size_t(newSize));
    if (Pos > newSize)
        Pos = newSize;
}

void TMemoryStream::Assign(std::string data)
{
    Data_ = std::move(data);
    Pos = 0;
}

std::string TMemoryStream::TakeData()
{
    Pos = 0;
    return std::exchange(Data_, std::string());
}
