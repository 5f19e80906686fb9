#pragma once
// Files the program rewrites (the card base, decks, packs, saved pictures) are
// replaced atomically: the new content goes into a temporary file beside the target,
// is flushed to disk and renamed over the target, so a reader sees either the old file
// or the new one, never a part. Paths here are native file-system text (UTF-8 on
// Linux), not Windows-1251.

#include "Library/Common/ExtUtils.h"

#include <string>
#include <string_view>

// The system's error code in Russian words (Windows-1251) for the codes a user meets
// with files ("Отказано в доступе", "Нет места на устройстве"); the system's own text
// for any other.
std::string SystemErrorText(int error);

// Reads a whole regular file (after following links) of at most `maxSize` bytes into
// `bytes`. Anything that is not a regular file (a FIFO, a device, a folder) is refused
// before a byte is read, and no more than `maxSize` + 1 bytes are ever read, whatever
// the size the file claims. Returns 0, or: -1 not a regular file, -2 larger than
// `maxSize`, else the errno of the failed open or read.
int ReadRegularFile(const std::string& path, int64_t maxSize, std::string& bytes);

// A file could not be written or put in place. The message is
// "Не удается записать файл "<path>". <reason>" in Windows-1251; `Path` and `Reason`
// give the parts (native path, the error in Russian words, UTF-8) for callers that
// report the failure in their own words.
class EFileWriteError : public Exception {
public:
    EFileWriteError(std::string path, std::string reason);
    const std::string& Path() const { return FPath; }
    const std::string& Reason() const { return FReason; }

private:
    std::string FPath;
    std::string FReason;
};

// A file being written to replace `path`. A symbolic link is followed: its target
// gets the new content, in the target's folder. A target that the user may not write
// (mode 444 in a writable folder) is refused with "Отказано в доступе". The
// constructor removes temporary files of earlier saves of the same file whose process
// has ended, then makes a temporary file "<name>.tomelark-<pid>-<n>.tmp" in the
// target's folder (keeping the mode of an existing target);
// `Write` appends, checking every write; `Commit` flushes it to disk, renames it over
// the target and flushes the folder. Any failure raises `EFileWriteError` and removes
// the temporary file; destroying the object before `Commit` removes it too, so the
// previous file is always left as it was.
class TReplacingFile {
public:
    explicit TReplacingFile(std::string path);
    ~TReplacingFile();
    TReplacingFile(const TReplacingFile&) = delete;
    TReplacingFile& operator=(const TReplacingFile&) = delete;

    void Write(std::string_view bytes);
    void Commit();

    const std::string& TempPath() const { return FTemp; }

private:
    [[noreturn]] void Fail(int error);
    void Abandon() noexcept;

    std::string FPath;  // the file written: the target of a symbolic link
    std::string FShown; // the path as given, for messages
    std::string FTemp;
    int FHandle = -1;
};

// Removes the temporary files of `TReplacingFile` in `folder` (only those for files
// whose name begins with `forName`, when given) that a process no longer running left.
void RemoveStaleTemporaryFiles(const std::string& folder, std::string_view forName = {});

// Whether the user may create and replace files in `folder`: the folder exists, the
// access check allows writing and a write bit is set (the superuser passes every
// access check, but a folder without write bits is one nobody is meant to change).
bool IsWritableFolder(const std::string& folder);

// Writes `bytes` to `path`, replacing the file atomically (see `TReplacingFile`).
void WriteFileReplacing(const std::string& path, std::string_view bytes);
