// The table packet: the byte form of a table in files (cardbase.cds) and streams.
// The layout is described in docs/cardbase-format.md.
#include "data/TableInternal.h"

#include <zlib.h>

#include <cstring>
#include <limits>
#include <set>

namespace {

constexpr char kMagic[8] = {'T', 'L', 'T', 'A', 'B', 'L', 'E', '\x1A'};
constexpr uint16_t kVersion = 1;
constexpr size_t kFixedHeader = 20; // magic, version, flags, total length
constexpr size_t kMaxFields = 4096;

[[noreturn]] void Damaged(const std::string& what)
{
    throw ETableFileError("Table file is damaged (" + what + ")");
}

[[noreturn]] void Truncated() { throw ETableFileError("Table file is truncated"); }

class TReader {
public:
    TReader(std::string_view bytes, size_t pos, size_t end) : FB(bytes), FPos(pos), FEnd(end) {}
    size_t Pos() const { return FPos; }
    size_t Left() const { return FEnd - FPos; }
    std::string_view Take(size_t n, const char* what)
    {
        if (n > Left())
            Damaged(what);
        std::string_view v = FB.substr(FPos, n);
        FPos += n;
        return v;
    }
    uint8_t U8(const char* what) { return uint8_t(Take(1, what)[0]); }
    uint16_t U16(const char* what)
    {
        auto v = Take(2, what);
        return uint16_t(uint8_t(v[0]) | uint8_t(v[1]) << 8);
    }
    uint32_t U32(const char* what)
    {
        auto v = Take(4, what);
        return uint32_t(uint8_t(v[0])) | uint32_t(uint8_t(v[1])) << 8 | uint32_t(uint8_t(v[2])) << 16 |
               uint32_t(uint8_t(v[3])) << 24;
    }
    uint32_t VarU32(const char* what)
    {
        uint32_t v = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            uint8_t b = U8(what);
            if (shift == 28 && (b & 0x70))
                Damaged(what);
            v |= uint32_t(b & 0x7F) << shift;
            if (!(b & 0x80))
                return v;
        }
        Damaged(what);
    }

private:
    std::string_view FB;
    size_t FPos;
    size_t FEnd;
};

uint32_t LoadU32(std::string_view b, size_t pos)
{
    return uint32_t(uint8_t(b[pos])) | uint32_t(uint8_t(b[pos + 1])) << 8 | uint32_t(uint8_t(b[pos + 2])) << 16 |
           uint32_t(uint8_t(b[pos + 3])) << 24;
}

void PutU8(std::string& s, uint8_t v) { s.push_back(char(v)); }
void PutU16(std::string& s, uint16_t v)
{
    s.push_back(char(v & 0xFF));
    s.push_back(char(v >> 8));
}
void PutU32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s.push_back(char((v >> (8 * i)) & 0xFF));
}
void PutU64At(std::string& s, size_t pos, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        s[pos + i] = char((v >> (8 * i)) & 0xFF);
}
void PutVarU32(std::string& s, uint32_t v)
{
    while (v >= 0x80) {
        s.push_back(char((v & 0x7F) | 0x80));
        v >>= 7;
    }
    s.push_back(char(v));
}

uint32_t Crc32(std::string_view bytes)
{
    return uint32_t(crc32_z(0L, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size()));
}

bool IsTextType(TFieldType t) { return t == ftString || t == ftMemo; }

} // namespace

TPacketContent ReadTablePacket(std::string_view b)
{
    if (b.size() < sizeof kMagic || std::memcmp(b.data(), kMagic, sizeof kMagic) != 0)
        throw ETableFileError("Not a Tomelark table file");
    if (b.size() < 10)
        Truncated();
    uint16_t version = uint16_t(uint8_t(b[8]) | uint8_t(b[9]) << 8);
    if (version != kVersion)
        throw ETableFileError("Unsupported table file version " + std::to_string(version));
    if (b.size() < kFixedHeader)
        Truncated();
    uint64_t total = 0;
    for (int i = 0; i < 8; ++i)
        total |= uint64_t(uint8_t(b[12 + i])) << (8 * i);
    if (total < kFixedHeader + 4)
        Damaged("bad length");
    if (b.size() < total)
        Truncated();
    if (b.size() > total)
        Damaged("data after the end");
    size_t end = size_t(total) - 4;
    if (Crc32(b.substr(0, end)) != LoadU32(b, end))
        Damaged("checksum mismatch");

    TPacketContent out;
    TReader r(b, kFixedHeader, end);
    uint32_t fieldCount = r.U16("field definitions");
    if (fieldCount == 0 || fieldCount > kMaxFields)
        Damaged("field definitions");
    std::set<std::string> seen;
    for (uint32_t i = 0; i < fieldCount; ++i) {
        TFieldDef d;
        uint8_t nameLen = r.U8("field definitions");
        d.Name = std::string(r.Take(nameLen, "field definitions"));
        uint8_t type = r.U8("field definitions");
        uint8_t flags = r.U8("field definitions");
        uint32_t size = r.U32("field definitions");
        if (d.Name.empty() || type < ftString || type > ftAutoInc || (flags & ~1u) ||
            size > uint32_t(std::numeric_limits<int>::max()) || (type == ftString && size == 0))
            Damaged("field definitions");
        std::string key;
        for (char c : d.Name)
            key.push_back((c >= 'a' && c <= 'z') ? char(c - 32) : c);
        if (!seen.insert(key).second)
            Damaged("field definitions");
        d.DataType = TFieldType(type);
        d.Required = flags & 1;
        d.Size = type == ftString ? int(size) : 0;
        out.Defs.push_back(std::move(d));
    }
    out.NextAutoInc = int32_t(r.U32("header"));
    uint32_t count = r.U32("header");
    const int n = int(fieldCount);
    const size_t nullBytes = (size_t(n) + 7) / 8;
    if (count > r.Left() / nullBytes)
        Damaged("records");
    out.Records.reserve(count);
    std::vector<std::string_view> values(static_cast<size_t>(n));
    for (uint32_t k = 0; k < count; ++k) {
        std::string_view nulls = r.Take(nullBytes, "records");
        size_t dataSize = 0;
        for (int i = 0; i < n; ++i) {
            bool isNull = (uint8_t(nulls[size_t(i) / 8]) >> (i % 8)) & 1;
            const TFieldDef& d = out.Defs[size_t(i)];
            if (isNull) {
                values[size_t(i)] = {};
                continue;
            }
            if (IsTextType(d.DataType)) {
                uint32_t len = r.VarU32("records");
                std::string_view v = r.Take(len, "records");
                if (d.DataType == ftString && v.size() > size_t(d.Size))
                    v = v.substr(0, size_t(d.Size));
                values[size_t(i)] = v;
            } else {
                values[size_t(i)] = r.Take(4, "records");
            }
            dataSize += values[size_t(i)].size();
        }
        // Padding bits of the null flags must be clear.
        if (n % 8 && (uint8_t(nulls[nullBytes - 1]) >> (n % 8)))
            Damaged("records");
        TableBlob::TBuilder builder(n, dataSize);
        for (int i = 0; i < n; ++i) {
            bool isNull = (uint8_t(nulls[size_t(i) / 8]) >> (i % 8)) & 1;
            const std::string_view v = values[size_t(i)];
            const bool text = IsTextType(out.Defs[size_t(i)].DataType);
            if (isNull || (text && v.empty()))
                builder.AddNull(); // an empty text is stored as no value, as when assigned
            else if (text)
                builder.AddBytes(v);
            else
                builder.AddInt(int32_t(LoadU32(v, 0)));
        }
        auto rec = std::make_unique<TTableRecord>();
        rec->Blob = builder.Take();
        out.Records.push_back(std::move(rec));
    }
    if (r.Left() != 0)
        Damaged("records");
    return out;
}

std::string WriteTablePacket(const TTableData& data)
{
    static_assert(sizeof(int32_t) == 4);
    std::string s;
    s.append(kMagic, sizeof kMagic);
    PutU16(s, kVersion);
    PutU16(s, 0);
    s.append(8, '\0'); // total length, filled in below
    const int n = data.FieldCount();
    PutU16(s, uint16_t(n));
    for (const TFieldDef& d : data.Defs) {
        PutU8(s, uint8_t(d.Name.size()));
        s += d.Name;
        PutU8(s, uint8_t(d.DataType));
        PutU8(s, d.Required ? 1 : 0);
        PutU32(s, d.DataType == ftString ? uint32_t(d.Size) : 0);
    }
    PutU32(s, uint32_t(data.NextAutoInc));
    PutU32(s, uint32_t(data.Natural.size()));
    const size_t nullBytes = (size_t(n) + 7) / 8;
    for (const TTableRecord* rec : data.Natural) {
        const std::string& b = rec->Blob;
        s.append(b, size_t(n) * 4, nullBytes);
        for (int i = 0; i < n; ++i) {
            if (TableBlob::IsNull(b, n, i))
                continue;
            std::string_view v = TableBlob::Bytes(b, n, i);
            if (IsTextType(data.Defs[size_t(i)].DataType)) {
                PutVarU32(s, uint32_t(v.size()));
                s.append(v.data(), v.size());
            } else {
                int32_t x = TableBlob::Int(b, n, i);
                PutU32(s, uint32_t(x));
            }
        }
    }
    PutU64At(s, 12, uint64_t(s.size()) + 4);
    PutU32(s, Crc32(s));
    return s;
}
