#pragma once
// Pack files and the stream that reads and writes files inside them.
//
// A pack file stands where a directory would be: the data folder "data" may be a real
// directory or one file named "data" holding the same files as compressed members.
// Every reader of data files opens them with `TPackFileStream`, which takes an
// ordinary path and finds out by itself whether it names a plain file or a member of
// a pack file somewhere up the path.
//
// Pack layout: a plain sequence of entries from offset 0 to the end of the file, no
// header, directory or trailer. Each entry, integers little-endian:
//     int32 N, N name bytes (none when N <= 0), int32 D, D bytes of member data.
// The name is the member's path inside the pack in Windows-1251 with "\" between
// levels; the data is the whole content as one zlib stream (level 9). A retired entry
// has every name byte overwritten with 0. The first entry whose name equals the wanted
// one, ignoring letter case (Latin and Cyrillic), is the member. A pack only grows.
//
// Paths and names on this platform:
//   - File paths are native (UTF-8 on Linux, "/" between components). The path walk
//     uses the native separator; member names are stored with "\" whatever the
//     platform, in Windows-1251: path components are converted with Utf8ToWin1251
//     when a member name is formed, and a name that Windows-1251 cannot hold matches
//     no member and cannot be written.
//   - Error messages are Windows-1251 like every message of the program; paths in them
//     are converted from UTF-8. "File <path> not found" names the full path that was
//     asked for, in native form (the member's "\" shown as "/").
//
// Sharing between processes uses advisory locks (flock): a pack is locked shared while
// it is read and exclusively while it is written, only for the length of one
// operation, so readers and writers of one pack exclude each other without keeping it
// open. A plain file opened for reading holds a shared lock, opened for writing an
// exclusive one, for the life of the stream. A lock held by someone else is waited for
// up to `PackLockWaitMs` milliseconds, then the open fails.
//
// Corrupt packs (a negative data length, a length past the end of the file, a
// truncated entry, member data that is not a complete zlib stream) raise `EPackError`;
// the scan never loops or reads outside the file. A negative name length is what the
// format allows for an empty name and is scanned past like one. An entry with no data
// bytes at all reads as an empty member. Inflating stops at `MaxMemberSize` bytes, and
// at `MaxInflateRatio` times the stored size once past `InflateRatioFloor` bytes, so
// that a hostile pack cannot exhaust memory.
#include "Library/Common/ExtUtils.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Errors. All derive from `Exception` and carry a Windows-1251 message.

// A stream operation that failed: read or write error, bad position.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// A file or member that cannot be opened: missing, locked, no access.
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A pack that cannot be used: unsupported mode, corrupt entries, bad member data,
// a member name that cannot be stored.
class EPackError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// An internal precondition of the unit that does not hold (a programming error):
// "Assertion failed: <condition> (PackStream, line N)".
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Open modes. Read and create work for plain files and pack members; the others for
// plain files only.
constexpr uint16_t fmOpenRead = 0;          // read only; others may read, not write
constexpr uint16_t fmOpenWrite = 1;         // write only, existing file, exclusive
constexpr uint16_t fmOpenReadWrite = 2;     // read and write, existing file, exclusive
constexpr uint16_t fmCreate = 0xFFFF;       // create or replace, read and write, exclusive

// How long an open waits for a lock held by another process, in milliseconds.
extern int PackLockWaitMs;

// Largest member content the stream inflates or writes: 256 MiB (a card base of
// 100,000 cards is about 50 MB).
constexpr int64_t MaxMemberSize = int64_t(256) << 20;
// No card base or picture inflates to more than this many times its stored size; a
// member that does, once past the floor, is refused while inflating.
constexpr int64_t MaxInflateRatio = 256;
constexpr int64_t InflateRatioFloor = int64_t(16) << 20;

// ---------------------------------------------------------------------------
// Streams.

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// The abstract stream: reading, writing, seeking with a 64-bit offset and setting the
// size; size and position come from seeking.
class TStream {
public:
    virtual ~TStream() = default;
    // Reads up to `count` bytes at the position; returns how many were read (0 at the
    // end). Raises EStreamError on an I/O error.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes `count` bytes at the position; returns `count`. Raises EStreamError.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position; returns the new one. A negative result raises EStreamError.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual void SetSize(int64_t newSize) = 0;

    int64_t Position();
    void SetPosition(int64_t position);
    int64_t Size();
    // Read or write exactly `count` bytes, raising EStreamError otherwise.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Everything from the position to the end.
    std::string ReadAll();
};

// A file on disk (POSIX descriptor), opened with one of the modes above.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& path, uint16_t mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;

    const std::string& FileName() const { return FileName_; }

private:
    std::string FileName_;
    int Fd = -1;
};

// Bytes in memory; writing past the end grows it, seeking past the end is allowed.
class TMemoryStream : public TStream {
public:
    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;

    const std::string& Data() const { return Data_; }
    // Replaces the content and moves the position to 0.
    void Assign(std::string data);
    // Hands the content over, leaving the stream empty.
    std::string TakeData();

private:
    std::string Data_;
    int64_t Pos = 0;
};

// ---------------------------------------------------------------------------
// The pack file stream.
//
// Create(path, fmOpenRead) gives the plain file when it exists, otherwise the member
// of the pack found up the path, inflated into memory and positioned at 0.
// Create(path, fmCreate) creates the plain file when its folder exists, otherwise a
// member collected in memory and written into the pack (created when missing) by
// Close(). A member opened for reading is never written back.
//
// Destruction: a created member is written by `Close()`, which raises on failure. The
// destructor calls Close() when it has not been called and, since a destructor must
// not throw, reports a failure only as a warning on the Qt message log. Call Close()
// yourself wherever a failed write must be noticed.
class TPackFileStream : public TStream {
public:
    // Opens `fileName` (relative paths against the current folder) with `mode`.
    // Raises EFOpenError ("File <path> not found", cannot open), EPackError
    // ("Unsupported file open mode", corrupt pack or member data).
    TPackFileStream(const std::string& fileName, uint16_t mode);
    // Opens member `memberName` (Windows-1251, "\" between levels) of the pack at
    // `packPath` directly, without walking the path; mode fmOpenRead or fmCreate.
    // This is how tools address a pack whose folder might not exist yet.
    static std::unique_ptr<TPackFileStream> CreateMember(const std::string& packPath,
                                                         const std::string& memberName,
                                                         uint16_t mode);
    // A stream object only answering whether `fileName` exists (in `Exists`); it
    // opens nothing that stays open and cannot be read.
    static std::unique_ptr<TPackFileStream> CreateProbe(const std::string& fileName);

    ~TPackFileStream() override;
    TPackFileStream(const TPackFileStream&) = delete;
    TPackFileStream& operator=(const TPackFileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t newSize) override;

    // Writes a created member into its pack (once; again only after further changes)
    // and frees `Inner`. Later operations on the stream are assertion failures.
    void Close();

    // Sets InPack, Path and MemberName for `fileName` and `mode` (see the .cpp).
    void ResolvePath(const std::string& fileName, uint16_t mode);
    // Inflates the member into `Inner` (mode fmOpenRead).
    void LoadMember();
    // The stored (compressed) data of the member.
    std::string ReadMember();
    // Deflates `Inner` and writes it into the pack (mode fmCreate).
    void FlushMember();
    // Appends `data` as the member's new entry and retires every older entry of it.
    void WriteMember(const std::string& data);

    // Read these; do not change them.
    std::unique_ptr<TStream> Inner; // file stream, or memory stream of the member
    bool InPack = false;            // the path names a member of a pack
    uint16_t Mode = fmOpenRead;
    std::string Path;               // full path of the plain file or of the pack (native)
    std::string MemberName;         // member name (Windows-1251, "\" between levels)
    bool Exists = false;            // the answer of CreateProbe

private:
    TPackFileStream() = default;
    void Open(uint16_t mode);
    // The full path that was asked for, for messages (Windows-1251).
    std::string RequestedPath1251() const;

    bool NameOk = true;      // MemberName could be converted to Windows-1251
    bool NeedsFlush = false; // created member not yet written since its last change
    bool CloseCalled = false;
};

// Whether `fileName` exists as a plain file or as a member of a pack up its path.
bool PackFileExists(const std::string& fileName);

// The whole content of a plain file or pack member.
std::string ReadWholeFile(const std::string& fileName);

// ---------------------------------------------------------------------------
// Pack contents, for tools.

struct TPackEntry {
    int64_t Offset = 0;      // of the entry's name length
    std::string Name;        // as stored (Windows-1251); empty when N <= 0
    int64_t DataOffset = 0;
    int32_t DataLength = 0;
    // Retired (name all zero bytes) or nameless: no member can be found through it.
    bool Live() const;
};

// Every entry of the pack at `packPath` in file order. Raises EFOpenError, EPackError;
// with `damage` given, a corrupt entry ends the list instead, its message put there.
std::vector<TPackEntry> ListPackEntries(const std::string& packPath, std::string* damage = nullptr);
// The stored data of one entry listed by ListPackEntries.
std::string ReadPackEntryData(const std::string& packPath, const TPackEntry& entry);

// zlib helpers. `what` names the member in messages (Windows-1251). Inflating more
// than `limit` bytes, or more than MaxInflateRatio times the stored size beyond
// InflateRatioFloor, raises EPackError before the memory is taken; stored data of no
// bytes is empty content.
std::string DeflateMember(const std::string& content);
std::string InflateMember(const std::string& stored, const std::string& what,
                          int64_t limit = MaxMemberSize);
// The inflated size without keeping the content.
int64_t InflatedSize(const std::string& stored, const std::string& what,
                     int64_t limit = MaxMemberSize);

// A pack entry as bytes: N, name, D, data.
std::string EncodePackEntry(const std::string& name, const std::string& stored);

// A path given with "/" or "\" between levels (UTF-8) as a member name (Windows-1251,
// "\" between levels). Raises EPackError when it is empty or Windows-1251 cannot hold it.
std::string MemberNameFromUtf8(const std::string& name);
