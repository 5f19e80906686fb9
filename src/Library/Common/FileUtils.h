#pragma once
// Files the program rewrites (the card base, decks, packs, saved pictures) are
// replaced atomically: the new content goes into a temporary file beside the target,
// is flushed to disk and renamed over the target, so a reader sees either the old file
// or the new one, never a part. Paths here are native file-system text (UTF-8 on
// Linux), not Windows-1251.

#include "Library/Common/ExtUtils.h"

#include <string>
#include <string_view>

// A file could not be written or put in place. The message is
// "Cannot create file "<path>". <reason>" in Windows-1251; `Path` and `Reason` give
// the parts as they came (native path, the system's text of the error) for callers
// that report the failure in their own words.
class EFileWriteError : public Exception {
public:
    EFileWriteError(std::string path, std::string reason);
    const std::string& Path() const { return FPath; }
    const std::string& Reason() const { return FReason; }

private:
    std::string FPath;
    std::string FReason;
};

// A file being written to replace `path`. The constructor makes a temporary file of
// a unique name in the target's folder (keeping the mode of an existing target);
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

    std::string FPath;
    std::string FTemp;
    int FHandle = -1;
};

// Writes `bytes` to `path`, replacing the file atomically (see `TReplacingFile`).
void WriteFileReplacing(const std::string& path, std::string_view bytes);
