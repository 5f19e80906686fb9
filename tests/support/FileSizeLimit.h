#pragma once
// Makes file writes fail for a while: a file size limit for the test process, with
// SIGXFSZ ignored so a write past the limit returns an error (EFBIG) instead of
// ending the process. Tests run as root, where permissions do not stop a write; a
// size limit does. A write that starts below the limit and runs past it is cut short,
// which is how a full disk looks to the writer.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        SavedOk = getrlimit(RLIMIT_FSIZE, &Saved) == 0;
        EXPECT_TRUE(SavedOk);
        OldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = Saved;
        limit.rlim_cur = bytes;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~TFileSizeLimit()
    {
        if (SavedOk)
            setrlimit(RLIMIT_FSIZE, &Saved);
        std::signal(SIGXFSZ, OldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    struct rlimit Saved {};
    bool SavedOk = false;
    void (*OldHandler)(int) = SIG_DFL;
};
