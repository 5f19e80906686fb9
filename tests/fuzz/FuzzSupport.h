#pragma once
// Shared by the libFuzzer targets: a scratch folder of the process and, for the
// targets that paint, a Qt application on the offscreen platform.
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzz {

inline std::string_view Bytes(const uint8_t* data, size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process, made once, removed at exit.
inline const std::string& ScratchDir()
{
    static const std::string dir = [] {
        std::string d = "/tmp/tomelark-fuzz-" + std::to_string(getpid());
        std::string cmd = "mkdir -p " + d;
        if (std::system(cmd.c_str()) != 0)
            std::abort();
        std::atexit([] {
            std::string rm = "rm -rf /tmp/tomelark-fuzz-" + std::to_string(getpid());
            (void)!std::system(rm.c_str());
        });
        return d;
    }();
    return dir;
}

inline void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        std::abort();
}

inline void EnsureGuiApplication()
{
    // Never destroyed: Qt must not be torn down after its own exit handlers ran.
    [[maybe_unused]] static QGuiApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
}

} // namespace fuzz
