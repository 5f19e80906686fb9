#pragma once
// What the file streams and the pack files share: paths in messages, system error
// texts, the open error, and the advisory lock every open takes.
#include <string>

namespace stream_files {

// A UTF-8 path quoted for a Windows-1251 message.
std::string Q(const std::string& pathUtf8);
// The system's text for an errno value, in Windows-1251.
std::string SysError(int err);
// Raises EFOpenError "Cannot open file ..." (or "Cannot create file ...") for errno err.
[[noreturn]] void RaiseOpenError(const std::string& path, int err, bool create = false);
// Takes an advisory lock (LOCK_SH or LOCK_EX) on fd, waiting up to PackLockWaitMs for
// another holder. File systems without flock support are used unlocked rather than
// refused.
void LockFd(int fd, int op, const std::string& path);

} // namespace stream_files
