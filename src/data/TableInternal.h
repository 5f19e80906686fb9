#pragma once
// Inner workings of the table engine shared by its source files; not for other units.
//
// A record is one heap block (a std::string) laid out as
//   [end offset of field 0 .. n-1: uint32 each][null flags: one bit per field][values]
// where each value occupies the bytes between the previous field's end and its own:
// texts as their Windows-1251 bytes, integers as 4 bytes. Reading a field is two loads
// and no allocation, which keeps sorting and filtering of the card base quick.
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/TableEngine.h"

struct TTableRecord {
    uint64_t Id = 0;  // bookmark; increasing in insertion order (the natural order)
    std::string Blob; // layout above
};

namespace TableBlob {

inline size_t HeaderSize(int n) { return size_t(n) * 4 + (size_t(n) + 7) / 8; }

inline uint32_t End(const std::string& b, int i)
{
    uint32_t v;
    std::memcpy(&v, b.data() + size_t(i) * 4, 4);
    return v;
}

inline bool IsNull(const std::string& b, int n, int i)
{
    return (uint8_t(b[size_t(n) * 4 + size_t(i) / 8]) >> (i % 8)) & 1;
}

inline std::string_view Bytes(const std::string& b, int n, int i)
{
    uint32_t s = i ? End(b, i - 1) : 0;
    uint32_t e = End(b, i);
    return std::string_view(b.data() + HeaderSize(n) + s, e - s);
}

inline int32_t Int(const std::string& b, int n, int i)
{
    std::string_view v = Bytes(b, n, i);
    if (v.size() < 4)
        return 0;
    int32_t x;
    std::memcpy(&x, v.data(), 4);
    return x;
}

// Builds a record field by field, in field order.
class TBuilder {
public:
    explicit TBuilder(int n, size_t reserve = 0) : FN(n), FHeader(HeaderSize(n))
    {
        FBlob.reserve(FHeader + reserve);
        FBlob.assign(FHeader, '\0');
    }
    void AddNull()
    {
        FBlob[size_t(FN) * 4 + size_t(FI) / 8] |= char(1 << (FI % 8));
        Close();
    }
    void AddBytes(std::string_view s)
    {
        FBlob.append(s.data(), s.size());
        FPos += uint32_t(s.size());
        Close();
    }
    void AddInt(int32_t v)
    {
        char b[4];
        std::memcpy(b, &v, 4);
        FBlob.append(b, 4);
        FPos += 4;
        Close();
    }
    std::string Take() { return std::move(FBlob); }

private:
    void Close()
    {
        std::memcpy(FBlob.data() + size_t(FI) * 4, &FPos, 4);
        ++FI;
    }
    int FN;
    size_t FHeader;
    std::string FBlob;
    uint32_t FPos = 0;
    int FI = 0;
};

} // namespace TableBlob

// The data shared by all cursors cloned from one table.
class TTableData {
public:
    ~TTableData();
    std::vector<TFieldDef> Defs;
    std::vector<TTableRecord*> Natural; // owned; sorted by Id (insertion order)
    uint64_t NextId = 1;
    int32_t NextAutoInc = 1;
    uint64_t Stamp = 1; // changes whenever records are added, changed or removed
    std::vector<TTable*> Cursors;

    int FieldCount() const { return int(Defs.size()); }
    TTableRecord* FindById(uint64_t id) const;
    void FreeRecords();

    // Changes seen by every cursor. The record is handed over (insert) or must be one
    // of Natural (change, remove). A filter callback that fails while a cursor decides
    // whether the record is visible leaves the record hidden in that cursor; the first
    // such error is kept in `error` for the caller to raise once all is consistent.
    void InsertRecord(TTableRecord* rec, std::exception_ptr& error);
    void ChangeRecord(TTableRecord* rec, std::string& blob, std::exception_ptr& error);
    void RemoveRecord(TTableRecord* rec);
    void RemoveAll();
    // New field definitions and records for every cursor. Checks first that every
    // cursor's indexes can be kept (fields present, unique keys unique) and changes
    // nothing when they cannot.
    void Replace(std::vector<TFieldDef> defs, std::vector<std::unique_ptr<TTableRecord>> records,
                 int32_t nextAutoInc, std::exception_ptr& error);
    // Sends the waiting notices of every cursor.
    void DispatchAll();
};

// A named index of one cursor. Unique indexes are built when added; the others the
// first time they are selected. Once built, an index is kept in order on every change.
struct TTableIndex {
    TIndexDef Def;
    std::vector<int> Fields;
    bool Built = false;
    std::vector<TTableRecord*> Order; // sorted by key, ties by Id
    bool Unique() const { return (Def.Options & ixUnique) != 0; }
};

// Packet encoding (TablePacket.cpp).
struct TPacketContent {
    std::vector<TFieldDef> Defs;
    std::vector<std::unique_ptr<TTableRecord>> Records; // Ids not yet assigned
    int32_t NextAutoInc = 1;
};
TPacketContent ReadTablePacket(std::string_view packet);
std::string WriteTablePacket(const TTableData& data);

// Field name comparison: ASCII letters without regard to case.
bool SameFieldName(std::string_view a, std::string_view b);
