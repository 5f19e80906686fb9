#pragma once
// Helpers of the pack stream tests: a temporary folder, raw file access and pack
// entries built byte by byte with zlib directly, independent of the unit under test.
#include <QTemporaryDir>

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace packtest {

inline std::string Int32(int32_t v)
{
    std::string s;
    for (int i = 0; i < 4; ++i)
        s.push_back(char((uint32_t(v) >> (8 * i)) & 0xFF));
    return s;
}

inline std::string Zlib(const std::string& content, int level = 9)
{
    uLongf len = compressBound(uLong(content.size()));
    std::string out(len, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &len,
              reinterpret_cast<const Bytef*>(content.data()), uLong(content.size()), level);
    out.resize(len);
    return out;
}

inline std::string Raw(int32_t n, const std::string& name, int32_t d, const std::string& data)
{
    return Int32(n) + name + Int32(d) + data;
}

// A well-formed entry: name as given (Windows-1251), content compressed.
inline std::string Entry(const std::string& name, const std::string& content)
{
    std::string z = Zlib(content);
    return Raw(int32_t(name.size()), name, int32_t(z.size()), z);
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

class TempDir {
public:
    std::string path() const { return Dir.path().toStdString(); }
    std::string operator/(const std::string& rel) const { return path() + "/" + rel; }

private:
    QTemporaryDir Dir;
};

} // namespace packtest
