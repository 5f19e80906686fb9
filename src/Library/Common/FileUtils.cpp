// Replacing files atomically: temporary file beside the target, full write, flush,
// rename, flush of the folder.
#include "Library/Common/FileUtils.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#else
#include <io.h>
#include <process.h>
#endif

namespace {

int ProcessId()
{
#ifndef _WIN32
    return int(::getpid());
#else
    return _getpid();
#endif
}

int OpenNew(const std::string& path)
{
#ifndef _WIN32
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#else
    return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#endif
}

// Writes some of the bytes; the count written, or -1 with errno set.
long long WriteSome(int fd, const char* data, size_t size)
{
#ifndef _WIN32
    return ::write(fd, data, size);
#else
    const unsigned chunk = size > (1u << 30) ? (1u << 30) : unsigned(size);
    return _write(fd, data, chunk);
#endif
}

bool FlushToDisk(int fd)
{
#ifndef _WIN32
    return ::fsync(fd) == 0;
#else
    return _commit(fd) == 0;
#endif
}

int CloseFile(int fd)
{
#ifndef _WIN32
    return ::close(fd);
#else
    return _close(fd);
#endif
}

// Makes the rename itself durable. Some file systems cannot flush a folder; the new
// file is in place by then, so that is not a failure of the write.
void FlushFolder(const std::string& path)
{
#ifndef _WIN32
    const std::string dir = std::filesystem::path(path).parent_path().string();
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
#else
    (void)path; // NTFS keeps the rename in its journal
#endif
}

} // namespace

std::string SystemErrorText(int error)
{
    const char* text = nullptr;
    switch (error) {
    case EACCES:
    case EPERM: text = "Отказано в доступе"; break;
    case ENOENT: text = "Нет такого файла или каталога"; break;
    case ENOSPC: text = "Нет места на устройстве"; break;
    case EFBIG: text = "Файл слишком велик"; break;
    case EROFS: text = "Файловая система доступна только для чтения"; break;
    case EISDIR: text = "Это каталог"; break;
    case ENOTDIR: text = "Часть пути не является каталогом"; break;
    case EEXIST: text = "Файл уже существует"; break;
    case EIO: text = "Ошибка ввода-вывода"; break;
    case ENAMETOOLONG: text = "Слишком длинное имя файла"; break;
    case ELOOP: text = "Слишком много символических ссылок"; break;
#ifdef EDQUOT
    case EDQUOT: text = "Превышена дисковая квота"; break;
#endif
    case EMFILE:
    case ENFILE: text = "Открыто слишком много файлов"; break;
    case ENOMEM: text = "Недостаточно памяти"; break;
    case EBUSY: text = "Устройство или ресурс занято"; break;
    default: break;
    }
    return text ? Utf8ToWin1251(text) : Utf8ToWin1251(std::strerror(error));
}

int ReadRegularFile(const std::string& path, int64_t maxSize, std::string& bytes)
{
    bytes.clear();
    // O_NONBLOCK: a FIFO without a writer must not hang the open; the check below
    // refuses it anyway.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return e;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    if (st.st_size > maxSize) {
        ::close(fd);
        return -2;
    }
    bytes.reserve(size_t(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            ::close(fd);
            bytes.clear();
            return e;
        }
        if (n == 0)
            break;
        if (int64_t(bytes.size()) + n > maxSize) {
            ::close(fd);
            bytes.clear();
            return -2;
        }
        bytes.append(buffer, size_t(n));
    }
    ::close(fd);
    return 0;
}

EFileWriteError::EFileWriteError(std::string path, std::string reason)
    : Exception(Utf8ToWin1251("Не удается записать файл \"") + Utf8ToWin1251(path) + "\". " + Utf8ToWin1251(reason)),
      FPath(std::move(path)), FReason(std::move(reason))
{
}

namespace {

// The temporary files of this writer: "<name>.tomelark-<pid>-<n>.tmp" beside the target.
constexpr std::string_view kTempTag = ".tomelark-";
constexpr std::string_view kTempEnd = ".tmp";

std::string TempName(const std::string& path, int pid, unsigned n)
{
    return path + std::string(kTempTag) + std::to_string(pid) + "-" + std::to_string(n) + std::string(kTempEnd);
}

// The process id in a temporary file's name, or 0 when the name is not one of ours.
int TempFileOwner(std::string_view name)
{
    const size_t tag = name.rfind(kTempTag);
    if (tag == std::string_view::npos || tag == 0 || name.size() < kTempEnd.size() ||
        name.substr(name.size() - kTempEnd.size()) != kTempEnd)
        return 0;
    std::string_view middle = name.substr(tag + kTempTag.size());
    middle.remove_suffix(kTempEnd.size());
    const size_t dash = middle.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == middle.size())
        return 0;
    long long pid = 0;
    for (size_t i = 0; i < middle.size(); ++i) {
        if (i == dash)
            continue;
        if (middle[i] < '0' || middle[i] > '9')
            return 0;
        if (i < dash && pid < (1LL << 31))
            pid = pid * 10 + (middle[i] - '0');
    }
    return pid > 0 && pid < (1LL << 31) ? int(pid) : 0;
}

bool ProcessAlive(int pid)
{
#ifndef _WIN32
    return pid == ProcessId() || ::kill(pid, 0) == 0 || errno != ESRCH;
#else
    return pid == ProcessId();
#endif
}

// The file a save of `path` must change: a symbolic link is followed to the file it
// names (the link stays a link, its target gets the new content).
std::string WriteTarget(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path);
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(target, ec)); ++hops) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec)
            break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target.lexically_normal().string();
}

} // namespace

void RemoveStaleTemporaryFiles(const std::string& folder, std::string_view forName)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!forName.empty() && name.compare(0, forName.size(), forName) != 0)
            continue;
        const int owner = TempFileOwner(name);
        if (owner == 0 || ProcessAlive(owner))
            continue;
        std::error_code removeError;
        if (it->is_regular_file(removeError))
            fs::remove(it->path(), removeError);
    }
}

TReplacingFile::TReplacingFile(std::string path) : FPath(std::move(path))
{
    namespace fs = std::filesystem;
    if (FPath.empty())
        throw EFileWriteError(FPath, "Нет имени файла");
    FShown = FPath;
    FPath = WriteTarget(FPath);
    std::error_code ec;
    if (fs::is_directory(fs::path(FPath), ec))
        Fail(EISDIR);
#ifndef _WIN32
    // A file the user made read-only is not replaced, though its folder would allow
    // the rename: the same error as writing into it. The mode bits are asked too, as
    // the superuser passes every access check.
    struct stat target;
    const bool exists = ::stat(FPath.c_str(), &target) == 0;
    if (exists && (::access(FPath.c_str(), W_OK) != 0 || (target.st_mode & 0222) == 0))
        Fail(EACCES);
#endif

    // Temporary files that a killed save left beside this file go first.
    const fs::path where(FPath);
    RemoveStaleTemporaryFiles(where.parent_path().string(), where.filename().string());

    // A name of our own beside the file: the process id and a counter keep writers
    // apart, and O_EXCL makes sure it is a new file.
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && FHandle < 0; ++attempt) {
        FTemp = TempName(FPath, ProcessId(), counter++);
        FHandle = OpenNew(FTemp);
        if (FHandle < 0 && errno != EEXIST) {
            const int error = errno;
            FTemp.clear();
            Fail(error);
        }
    }
    if (FHandle < 0) {
        FTemp.clear();
        Fail(EEXIST);
    }
#ifndef _WIN32
    // A file that is replaced keeps its permissions; a new one gets the usual 0666
    // less the umask from open().
    if (exists)
        ::fchmod(FHandle, target.st_mode & 07777);
#endif
}

TReplacingFile::~TReplacingFile()
{
    Abandon();
}

void TReplacingFile::Abandon() noexcept
{
    if (FHandle >= 0) {
        CloseFile(FHandle);
        FHandle = -1;
    }
    if (!FTemp.empty()) {
        std::error_code ec;
        std::filesystem::remove(FTemp, ec);
        FTemp.clear();
    }
}

void TReplacingFile::Fail(int error)
{
    Abandon();
    throw EFileWriteError(FShown, Win1251ToUtf8(SystemErrorText(error)));
}

void TReplacingFile::Write(std::string_view bytes)
{
    if (FHandle < 0)
        Fail(EBADF);
    size_t done = 0;
    while (done < bytes.size()) {
        const long long n = WriteSome(FHandle, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        // A short write is followed by another call, which reports the reason (disk
        // full, file size limit); a write of nothing at all is an error of its own.
        if (n <= 0)
            Fail(n < 0 ? errno : EIO);
        done += size_t(n);
    }
}

void TReplacingFile::Commit()
{
    if (FHandle < 0)
        Fail(EBADF);
    if (!FlushToDisk(FHandle))
        Fail(errno);
    const int fd = FHandle;
    FHandle = -1;
    if (CloseFile(fd) != 0)
        Fail(errno);
#ifndef _WIN32
    if (::rename(FTemp.c_str(), FPath.c_str()) != 0)
        Fail(errno);
#else
    // MoveFileEx with MOVEFILE_REPLACE_EXISTING underneath.
    std::error_code ec;
    std::filesystem::rename(FTemp, FPath, ec);
    if (ec) {
        Abandon();
        throw EFileWriteError(FShown, ec.message());
    }
#endif
    FTemp.clear();
    FlushFolder(FPath);
}

bool IsWritableFolder(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(fs::path(folder), ec))
        return false;
#ifndef _WIN32
    struct stat st;
    return ::access(folder.c_str(), W_OK | X_OK) == 0 && ::stat(folder.c_str(), &st) == 0 && (st.st_mode & 0222) != 0;
#else
    return _access(folder.c_str(), 2) == 0;
#endif
}

void WriteFileReplacing(const std::string& path, std::string_view bytes)
{
    TReplacingFile file(path);
    file.Write(bytes);
    file.Commit();
}
