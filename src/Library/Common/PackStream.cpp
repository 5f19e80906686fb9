// Pack files and the pack file stream (see PackStream.h for the format and the rules).
#include "Library/Common/PackStream.h"
#include "Library/Common/StreamFiles.h"

#include <QFileInfo>

#include <QtGlobal>

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#define PACK_ASSERT(cond)                                                                  \
    do {                                                                                   \
        if (!(cond))                                                                       \
            throw EAssertionFailed("Assertion failed: " #cond " (PackStream, line "       \
                                   + std::to_string(__LINE__) + ")");                      \
    } while (0)

using namespace stream_files;

namespace {

constexpr char Sep = '/';        // the platform's path separator
constexpr char MemberSep = '\\'; // between levels of a stored member name
// No real member name comes near this; a longer one means the pack is damaged.
constexpr int32_t MaxNameLength = 1 << 20;

bool DirExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// The full path of `fileName`: absolute, "." and ".." resolved, no trailing separator
// except for the root.
std::string ExpandPath(const std::string& fileName)
{
    if (fileName.empty())
        throw EFOpenError("Cannot open file \"\". " + SysError(ENOENT));
    std::filesystem::path p(fileName);
    if (!p.is_absolute()) {
        std::error_code ec;
        auto cwd = std::filesystem::current_path(ec);
        if (ec)
            RaiseOpenError(fileName, ec.value());
        p = cwd / p;
    }
    std::string s = p.lexically_normal().string();
    while (s.size() > 1 && s.back() == Sep)
        s.pop_back();
    return s;
}

// Folder part and last component of an expanded path.
std::string FolderOf(const std::string& path)
{
    size_t i = path.rfind(Sep);
    if (i == std::string::npos)
        return path;
    return i == 0 ? std::string(1, Sep) : path.substr(0, i);
}

std::string LastOf(const std::string& path)
{
    size_t i = path.rfind(Sep);
    return i == std::string::npos ? path : path.substr(i + 1);
}

std::string StripSep(std::string path)
{
    while (path.size() > 1 && path.back() == Sep)
        path.pop_back();
    return path;
}

void PutInt32(std::string& out, int32_t v)
{
    uint32_t u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(char((u >> (8 * i)) & 0xFF));
}

int32_t GetInt32(const char* p)
{
    uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= uint32_t(uint8_t(p[i])) << (8 * i);
    return int32_t(u);
}

void PReadAll(int fd, char* buf, int64_t count, int64_t offset, const std::string& path)
{
    while (count > 0) {
        ssize_t n = ::pread(fd, buf, size_t(std::min<int64_t>(count, 1 << 30)), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw EStreamError("Cannot read file " + Q(path) + ". " + SysError(errno));
        if (n == 0)
            throw EPackError("Pack file " + Q(path) + " is corrupt: it ends in the middle of an entry");
        buf += n;
        count -= n;
        offset += n;
    }
}

void PWriteAll(int fd, const char* buf, int64_t count, int64_t offset, const std::string& path)
{
    while (count > 0) {
        ssize_t n = ::pwrite(fd, buf, size_t(std::min<int64_t>(count, 1 << 30)), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw EStreamError("Cannot write file " + Q(path) + ". " + SysError(n < 0 ? errno : EIO));
        buf += n;
        count -= n;
        offset += n;
    }
}

// A pack file open for the length of one operation, locked shared (reading) or
// exclusively (writing). Closed, and so unlocked, in every case.
class TPackHandle {
public:
    TPackHandle(const std::string& path, bool write) : PathName(path)
    {
        if (write) {
            Fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
            if (Fd < 0 && errno == ENOENT) {
                Fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                Created = Fd >= 0;
                if (Fd < 0)
                    RaiseOpenError(path, errno, true);
            }
        } else {
            Fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        }
        if (Fd < 0)
            RaiseOpenError(path, errno);
        struct stat st;
        if (::fstat(Fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
            ::close(Fd);
            RaiseOpenError(path, err);
        }
        try {
            LockFd(Fd, write ? LOCK_EX : LOCK_SH, path);
        } catch (...) {
            ::close(Fd);
            throw;
        }
        // The size is read under the lock: no writer changes it while we hold it.
        if (::fstat(Fd, &st) != 0) {
            int err = errno;
            ::close(Fd);
            RaiseOpenError(path, err);
        }
        FileSize = int64_t(st.st_size);
    }
    ~TPackHandle()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    TPackHandle(const TPackHandle&) = delete;
    TPackHandle& operator=(const TPackHandle&) = delete;

    std::string ReadAt(int64_t offset, int64_t count) const
    {
        std::string s(size_t(count), '\0');
        PReadAll(Fd, s.data(), count, offset, PathName);
        return s;
    }

    std::string PathName;
    int Fd = -1;
    int64_t FileSize = 0;
    bool Created = false;
};

// Walks the entries of a pack from offset 0, checking every length against the end
// of the file, through a small read window so that a scan costs few system calls.
class TPackScanner {
public:
    explicit TPackScanner(const TPackHandle& pack) : Pack(pack) {}

    bool Next(TPackEntry& e)
    {
        if (Pos >= Pack.FileSize)
            return false;
        e.Offset = Pos;
        int32_t n = GetInt32(Bytes(Pos, 4, "its name length"));
        Pos += 4;
        e.Name.clear();
        if (n > 0) {
            if (n > MaxNameLength)
                Corrupt(e.Offset, "a name length of " + std::to_string(n));
            e.Name.assign(Bytes(Pos, n, "its name"), size_t(n));
            Pos += n;
        }
        int32_t d = GetInt32(Bytes(Pos, 4, "its data length"));
        Pos += 4;
        if (d < 0)
            Corrupt(e.Offset, "a negative data length");
        if (d > Pack.FileSize - Pos)
            Corrupt(e.Offset, "data running past the end of the file");
        e.DataOffset = Pos;
        e.DataLength = d;
        Pos += d;
        return true;
    }

private:
    [[noreturn]] void Corrupt(int64_t offset, const std::string& what) const
    {
        throw EPackError("Pack file " + Q(Pack.PathName) + " is corrupt: the entry at offset "
                         + std::to_string(offset) + " has " + what);
    }

    const char* Bytes(int64_t at, int64_t count, const char* what)
    {
        if (count > Pack.FileSize - at)
            throw EPackError("Pack file " + Q(Pack.PathName) + " is corrupt: it ends in " + what
                             + " at offset " + std::to_string(at));
        if (at < WinStart || at + count > WinStart + int64_t(Win.size())) {
            int64_t size = std::min<int64_t>(std::max<int64_t>(count, 8192), Pack.FileSize - at);
            Win.resize(size_t(size));
            PReadAll(Pack.Fd, Win.data(), size, at, Pack.PathName);
            WinStart = at;
        }
        return Win.data() + (at - WinStart);
    }

    const TPackHandle& Pack;
    int64_t Pos = 0;
    std::string Win;
    int64_t WinStart = 0;
};

std::string SizeText(int64_t bytes)
{
    if (bytes >= (int64_t(1) << 30) && bytes % (int64_t(1) << 30) == 0)
        return std::to_string(bytes >> 30) + " GiB";
    if (bytes >= (1 << 20) && bytes % (1 << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

// Whether content of `size` bytes stored in `stored` bytes passes the reader's bound.
bool StoredContentReadable(size_t size, size_t stored)
{
    return int64_t(size) <= std::max<int64_t>(InflateRatioFloor, int64_t(stored) * MaxInflateRatio);
}

// Content beyond this size is counted before its memory is taken.
constexpr int64_t kCountFirstSize = int64_t(32) << 20;

// Inflates one zlib stream of at most `limit` bytes; with `out` null only counts them.
int64_t Inflate(const std::string& stored, const std::string& what, std::string* out,
                int64_t limit = MaxMemberSize)
{
    if (stored.empty())
        return 0; // an entry without data is an empty member
    if (stored.size() > UINT_MAX)
        throw EPackError("Cannot decompress " + what + ": the compressed data is too large");
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        throw EPackError("Cannot decompress " + what + ": zlib cannot start");
    struct Guard {
        z_stream* z;
        ~Guard() { inflateEnd(z); }
    } guard{&zs};

    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.data()));
    zs.avail_in = uInt(stored.size());
    std::string scratch;
    std::string& buf = out ? *out : scratch;
    // Capacity up to one byte more than allowed, so that reaching it means "too large".
    // Past the floor no real member inflates more than MaxInflateRatio times its
    // stored size: a bomb is refused at that point, long before the limit.
    const int64_t byRatio = std::max<int64_t>(InflateRatioFloor, int64_t(stored.size()) * MaxInflateRatio);
    const bool ratioBound = byRatio < limit;
    const int64_t allowed = std::min(limit, byRatio);
    const int64_t cap = allowed + 1;
    const std::string tooLarge = ratioBound
        ? "Cannot decompress " + what + ": it inflates to more than " + std::to_string(MaxInflateRatio) +
              " times its stored size (" + SizeText(int64_t(stored.size())) + ")"
        : "Cannot decompress " + what + ": it is larger than " + SizeText(limit);
    // The content grows from a guess of four times the stored size; counting needs only
    // a small window.
    buf.resize(out ? size_t(std::min<int64_t>(std::max<int64_t>(int64_t(stored.size()) * 4, 65536), cap))
                   : size_t(65536));
    int64_t produced = 0;
    bool counted = false;
    for (;;) {
        if (out) {
            if (produced == int64_t(buf.size())) {
                if (int64_t(buf.size()) >= cap)
                    throw EPackError(tooLarge);
                int64_t grown = std::min<int64_t>(int64_t(buf.size()) * 2, cap);
                // A large member is first counted without keeping it (refused there
                // when too large), then given its exact size once: no doubling of
                // hundreds of megabytes, no memory taken for a bomb.
                if (grown > kCountFirstSize && !counted) {
                    grown = Inflate(stored, what, nullptr, limit) + 1;
                    counted = true;
                }
                buf.resize(size_t(grown));
            }
            zs.next_out = reinterpret_cast<Bytef*>(buf.data() + produced);
            zs.avail_out = uInt(std::min<int64_t>(int64_t(buf.size()) - produced, UINT_MAX));
        } else {
            zs.next_out = reinterpret_cast<Bytef*>(buf.data());
            zs.avail_out = uInt(buf.size());
        }
        uInt before = zs.avail_out;
        int ret = inflate(&zs, Z_NO_FLUSH);
        produced += int64_t(before - zs.avail_out);
        if (produced > allowed)
            throw EPackError(tooLarge);
        if (ret == Z_STREAM_END)
            break;
        if (ret == Z_OK && zs.avail_out == 0)
            continue;
        if (ret == Z_OK || (ret == Z_BUF_ERROR && zs.avail_in == 0))
            throw EPackError("Cannot decompress " + what + ": the compressed data is truncated");
        throw EPackError("Cannot decompress " + what + ": "
                         + (zs.msg ? std::string(zs.msg) : "invalid compressed data"));
    }
    if (out)
        out->resize(size_t(produced));
    return produced;
}

} // namespace

// ---------------------------------------------------------------------------
// TPackFileStream

TPackFileStream::TPackFileStream(const std::string& fileName, uint16_t mode)
{
    ResolvePath(fileName, mode);
    Open(mode);
}

std::unique_ptr<TPackFileStream> TPackFileStream::CreateMember(const std::string& packPath,
                                                               const std::string& memberName,
                                                               uint16_t mode)
{
    std::unique_ptr<TPackFileStream> s(new TPackFileStream());
    s->InPack = true;
    s->Path = ExpandPath(packPath);
    s->MemberName = memberName;
    if (memberName.empty())
        throw EPackError("A pack member needs a name");
    s->Open(mode);
    return s;
}

std::unique_ptr<TPackFileStream> TPackFileStream::CreateProbe(const std::string& fileName)
{
    std::unique_ptr<TPackFileStream> s(new TPackFileStream());
    std::string full = ExpandPath(fileName);
    if (FileExists(full)) {
        s->Path = full;
        s->Exists = true;
        return s;
    }
    s->ResolvePath(fileName, fmOpenRead);
    s->Exists = false;
    if (s->InPack && !DirExists(s->Path)) {
        s->Mode = fmOpenRead;
        TPackHandle pack(s->Path, false);
        TPackScanner scan(pack);
        TPackEntry e;
        while (scan.Next(e)) {
            if (s->NameOk && TextEquals(e.Name, s->MemberName)) {
                s->Exists = true;
                break;
            }
        }
    }
    return s;
}

TPackFileStream::~TPackFileStream()
{
    if (CloseCalled)
        return;
    try {
        Close();
    } catch (const std::exception& e) {
        qWarning("%s", Win1251ToUtf8(e.what()).c_str());
    }
}

void TPackFileStream::Close()
{
    CloseCalled = true;
    if (!Inner)
        return;
    if (InPack && Mode == fmCreate && NeedsFlush)
        FlushMember(); // on failure the content stays, so that Close() can be retried
    Inner.reset();
}

int64_t TPackFileStream::Read(void* buffer, int64_t count)
{
    PACK_ASSERT(Inner);
    return Inner->Read(buffer, count);
}

int64_t TPackFileStream::Write(const void* buffer, int64_t count)
{
    PACK_ASSERT(Inner);
    int64_t n = Inner->Write(buffer, count);
    if (InPack && Mode == fmCreate)
        NeedsFlush = true;
    return n;
}

int64_t TPackFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    PACK_ASSERT(Inner);
    return Inner->Seek(offset, origin);
}

void TPackFileStream::SetSize(int64_t newSize)
{
    PACK_ASSERT(Inner);
    Inner->SetSize(newSize);
    if (InPack && Mode == fmCreate)
        NeedsFlush = true;
}

// The pack is the first missing directory on the way up from the file: the nearest
// ancestor that exists as a directory holds it, and the components between the pack
// and the file form the member name. For creating, a path whose folder exists is a
// plain file; otherwise a path that exists as a file is. When the file is simply
// missing from an existing folder, `Path` is that folder followed by the separator.
void TPackFileStream::ResolvePath(const std::string& fileName, uint16_t mode)
{
    InPack = false;
    MemberName.clear();
    NameOk = true;
    Path = ExpandPath(fileName);
    bool plain = mode == fmCreate ? DirExists(FolderOf(Path)) : FileExists(Path);
    if (plain)
        return;

    std::string current = FolderOf(Path);
    std::string member = LastOf(Path);
    std::string last;
    while (!current.empty() && !DirExists(current)) {
        if (!last.empty())
            member = last + MemberSep + member;
        last = LastOf(current);
        std::string up = FolderOf(current);
        if (up == current) // a root that does not exist: stop here
            break;
        current = up;
    }
    InPack = true;
    if (current.empty() || current.back() != Sep)
        current += Sep;
    Path = current + last;
    bool ok = true;
    MemberName = Utf8ToWin1251(member, &ok);
    NameOk = ok;
}

std::string TPackFileStream::RequestedPath1251() const
{
    if (!InPack)
        return Utf8ToWin1251(Path);
    std::string member = MemberName;
    std::replace(member.begin(), member.end(), MemberSep, Sep);
    std::string pack = Utf8ToWin1251(StripSep(Path));
    if (pack.empty() || pack.back() != Sep)
        pack += Sep;
    return pack + member;
}

void TPackFileStream::Open(uint16_t mode)
{
    Mode = mode;
    if (!InPack) {
        Inner = std::make_unique<TFileStream>(Path, mode);
        return;
    }
    // Reading a file that is neither a plain file nor inside an existing pack (a file
    // missing from an existing folder, or no pack file where the path needs one): one
    // message for all of them, naming the full path that was asked for.
    bool noPack = (!Path.empty() && Path.back() == Sep) || !QFileInfo(QString::fromStdString(Path)).isFile();
    if (mode == fmOpenRead && noPack)
        throw EFOpenError("File " + RequestedPath1251() + " not found");
    if (!Path.empty() && Path.back() == Sep)
        throw EFOpenError("Cannot open file \"" + RequestedPath1251() + "\". " + SysError(ENOENT));
    if (mode != fmOpenRead && mode != fmCreate)
        throw EPackError("Unsupported file open mode");
    Inner = std::make_unique<TMemoryStream>();
    if (mode == fmOpenRead)
        LoadMember();
    else
        NeedsFlush = true; // even an empty member is written
}

void TPackFileStream::LoadMember()
{
    auto* mem = dynamic_cast<TMemoryStream*>(Inner.get());
    PACK_ASSERT(Mode == fmOpenRead && mem);
    std::string stored = ReadMember();
    std::string content;
    Inflate(stored, RequestedPath1251(), &content);
    stored = std::string();
    mem->Assign(std::move(content));
}

std::string TPackFileStream::ReadMember()
{
    PACK_ASSERT(InPack);
    TPackHandle pack(Path, false);
    TPackScanner scan(pack);
    TPackEntry e;
    while (scan.Next(e)) {
        if (NameOk && TextEquals(e.Name, MemberName))
            return pack.ReadAt(e.DataOffset, e.DataLength);
    }
    throw EFOpenError("File " + RequestedPath1251() + " not found");
}

void TPackFileStream::FlushMember()
{
    auto* mem = dynamic_cast<TMemoryStream*>(Inner.get());
    PACK_ASSERT(Mode == fmCreate && mem);
    if (int64_t(mem->Data().size()) > MaxMemberSize)
        throw EPackError("Cannot write " + RequestedPath1251() + " into a pack: it is larger than "
                         + SizeText(MaxMemberSize));
    std::string stored = DeflateMember(mem->Data());
    if (!StoredContentReadable(mem->Data().size(), stored.size()))
        throw EPackError("Cannot write " + RequestedPath1251() + " into a pack: it compresses to less than 1/" +
                         std::to_string(MaxInflateRatio) + " of its size, which a pack reader refuses");
    WriteMember(stored);
    NeedsFlush = false;
}

// The new entry is appended before the old ones are retired, so that a failed write
// (a full disk) leaves the pack as it was instead of losing the member: the partial
// entry is cut off again. A pack that does not scan cleanly is not touched.
void TPackFileStream::WriteMember(const std::string& data)
{
    PACK_ASSERT(InPack);
    if (!NameOk || MemberName.empty())
        throw EPackError("Cannot write " + RequestedPath1251()
                         + " into a pack: its name cannot be stored in Windows-1251");
    if (data.size() > size_t(INT32_MAX))
        throw EPackError("Cannot write " + RequestedPath1251() + " into a pack: it is too large");

    TPackHandle pack(Path, true);
    std::vector<int64_t> retire;
    {
        TPackScanner scan(pack);
        TPackEntry e;
        try {
            while (scan.Next(e))
                if (TextEquals(e.Name, MemberName))
                    retire.push_back(e.Offset + 4);
        } catch (...) {
            if (pack.Created)
                ::unlink(Path.c_str());
            throw;
        }
    }
    std::string entry = EncodePackEntry(MemberName, data);
    const int64_t oldSize = pack.FileSize;
    try {
        PWriteAll(pack.Fd, entry.data(), int64_t(entry.size()), oldSize, Path);
        const std::string zeros(MemberName.size(), '\0');
        for (int64_t at : retire)
            PWriteAll(pack.Fd, zeros.data(), int64_t(zeros.size()), at, Path);
    } catch (...) {
        if (::ftruncate(pack.Fd, off_t(oldSize)) == 0 && pack.Created)
            ::unlink(Path.c_str());
        throw;
    }
}

// ---------------------------------------------------------------------------
// Free functions

bool TPackEntry::Live() const
{
    return std::any_of(Name.begin(), Name.end(), [](char c) { return c != '\0'; });
}

bool PackFileExists(const std::string& fileName)
{
    return TPackFileStream::CreateProbe(fileName)->Exists;
}

std::string ReadWholeFile(const std::string& fileName)
{
    TPackFileStream s(fileName, fmOpenRead);
    if (auto* mem = dynamic_cast<TMemoryStream*>(s.Inner.get()))
        return mem->TakeData();
    return s.ReadAll();
}

std::vector<TPackEntry> ListPackEntries(const std::string& packPath, std::string* damage)
{
    TPackHandle pack(ExpandPath(packPath), false);
    TPackScanner scan(pack);
    std::vector<TPackEntry> entries;
    TPackEntry e;
    try {
        while (scan.Next(e))
            entries.push_back(e);
    } catch (const EPackError& error) {
        if (!damage)
            throw;
        *damage = error.what();
    }
    return entries;
}

std::string ReadPackEntryData(const std::string& packPath, const TPackEntry& entry)
{
    TPackHandle pack(ExpandPath(packPath), false);
    if (entry.DataOffset < 0 || entry.DataLength < 0
        || entry.DataLength > pack.FileSize - entry.DataOffset)
        throw EPackError("Pack file " + Q(packPath) + " has changed while it was read");
    return pack.ReadAt(entry.DataOffset, entry.DataLength);
}

std::string DeflateMember(const std::string& content)
{
    uLongf len = compressBound(uLong(content.size()));
    std::string out(size_t(len), '\0');
    int ret = compress2(reinterpret_cast<Bytef*>(out.data()), &len,
                        reinterpret_cast<const Bytef*>(content.data()), uLong(content.size()), 9);
    if (ret != Z_OK)
        throw EPackError(ret == Z_MEM_ERROR ? "Compression error: out of memory" : "Compression error");
    out.resize(size_t(len));
    return out;
}

std::string InflateMember(const std::string& stored, const std::string& what, int64_t limit)
{
    std::string out;
    Inflate(stored, what, &out, limit);
    return out;
}

int64_t InflatedSize(const std::string& stored, const std::string& what, int64_t limit)
{
    return Inflate(stored, what, nullptr, limit);
}

std::string EncodePackEntry(const std::string& name, const std::string& stored)
{
    std::string s;
    s.reserve(8 + name.size() + stored.size());
    PutInt32(s, int32_t(name.size()));
    s += name;
    PutInt32(s, int32_t(stored.size()));
    s += stored;
    return s;
}

std::string MemberNameFromUtf8(const std::string& name)
{
    std::string joined;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string::npos)
            end = name.size();
        std::string part = name.substr(start, end - start);
        if (part == "..")
            throw EPackError("Invalid member name \"" + Utf8ToWin1251(name) + "\"");
        if (!part.empty() && part != ".") {
            if (!joined.empty())
                joined += MemberSep;
            joined += part;
        }
        start = end + 1;
    }
    if (joined.empty())
        throw EPackError("A pack member needs a name");
    bool ok = true;
    std::string result = Utf8ToWin1251(joined, &ok);
    if (!ok)
        throw EPackError("The member name \"" + Utf8ToWin1251(name)
                         + "\" cannot be stored in Windows-1251");
    return result;
}
