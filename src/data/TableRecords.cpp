// The records of the table engine and their order: comparing, sorting, encoding
// values, and the data shared by all cursors.
#include "data/TableImpl.h"

#include <charconv>

namespace tableengine {


[[noreturn]] void DbError(const std::string& message) { throw EDatabaseError(message); }

bool IsText(TFieldType t) { return t == ftString || t == ftMemo; }

const std::vector<TTableRecord*> kNoRows;
const std::string kNoName;

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

int32_t ParseInteger(std::string_view text)
{
    std::string_view t = TrimBlanks(text);
    std::string_view digits = t;
    if (!digits.empty() && digits.front() == '+') {
        digits.remove_prefix(1);
        if (!digits.empty() && digits.front() == '-')
            digits = {};
    }
    int32_t v = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size())
        DbError("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

// --- Record comparison --------------------------------------------------------------

int CompareField(const std::vector<TFieldDef>& defs, int f, const TTableRecord* a, const TTableRecord* b)
{
    const int n = int(defs.size());
    if (IsText(defs[size_t(f)].DataType))
        return CollateCompare1251(TableBlob::Bytes(a->Blob, n, f), TableBlob::Bytes(b->Blob, n, f));
    bool an = TableBlob::IsNull(a->Blob, n, f), bn = TableBlob::IsNull(b->Blob, n, f);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    int32_t x = TableBlob::Int(a->Blob, n, f), y = TableBlob::Int(b->Blob, n, f);
    return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareKeys(const std::vector<TFieldDef>& defs, const std::vector<int>& fields, size_t k, const TTableRecord* a,
                const TTableRecord* b)
{
    for (size_t j = 0; j < k; ++j)
        if (int c = CompareField(defs, fields[j], a, b))
            return c;
    return 0;
}

// Order of an index (or the natural order when idx is null): key, then Id.
int CompareOrder(const std::vector<TFieldDef>& defs, const TTableIndex* idx, const TTableRecord* a,
                 const TTableRecord* b)
{
    if (idx)
        if (int c = CompareKeys(defs, idx->Fields, idx->Fields.size(), a, b))
            return c;
    return a->Id < b->Id ? -1 : (a->Id > b->Id ? 1 : 0);
}


size_t LowerPos(const std::vector<TFieldDef>& defs, const TTableIndex* idx, const TRows& v, const TTableRecord* probe)
{
    return size_t(std::lower_bound(v.begin(), v.end(), probe,
                                   [&](const TTableRecord* x, const TTableRecord* y) {
                                       return CompareOrder(defs, idx, x, y) < 0;
                                   }) -
                  v.begin());
}

int FindPos(const std::vector<TFieldDef>& defs, const TTableIndex* idx, const TRows& v, const TTableRecord* rec)
{
    size_t p = LowerPos(defs, idx, v, rec);
    return p < v.size() && v[p] == rec ? int(p) : -1;
}

// After rec's values changed: moves it from old to its new place; returns the new place.
int Reposition(const std::vector<TFieldDef>& defs, const TTableIndex* idx, TRows& v, int old, TTableRecord* rec)
{
    const size_t o = size_t(old);
    bool inPlace = (o == 0 || CompareOrder(defs, idx, v[o - 1], rec) < 0) &&
                   (o + 1 == v.size() || CompareOrder(defs, idx, rec, v[o + 1]) < 0);
    if (inPlace)
        return old;
    v.erase(v.begin() + old);
    size_t p = LowerPos(defs, idx, v, rec);
    v.insert(v.begin() + std::ptrdiff_t(p), rec);
    return int(p);
}

// Rank of each byte under the case-folded text order (1..256; 0 marks the end of a
// text). Comparing texts rank by rank orders them as CompareText1251 does.
const std::array<uint16_t, 256>& FoldRanks()
{
    static const std::array<uint16_t, 256> ranks = [] {
        std::array<int, 256> bytes;
        for (int i = 0; i < 256; ++i)
            bytes[size_t(i)] = i;
        auto text = [](int c) { return std::string(1, char(c)); };
        std::stable_sort(bytes.begin(), bytes.end(),
                         [&](int a, int b) { return CompareText1251(text(a), text(b)) < 0; });
        std::array<uint16_t, 256> r{};
        uint16_t rank = 0;
        for (size_t i = 0; i < 256; ++i) {
            if (i == 0 || CompareText1251(text(bytes[i - 1]), text(bytes[i])) != 0)
                ++rank;
            r[size_t(bytes[i])] = rank;
        }
        return r;
    }();
    return ranks;
}

// A number that orders like the record's key, as far as 64 bits reach: integer fields
// whole (33 bits, null first), then the first letters of a text field, case-folded
// (9 bits each), after which nothing more fits in order. Equal numbers need the full
// comparison.
uint64_t SortPrefix(const std::vector<TFieldDef>& defs, const std::vector<int>& fields, const TTableRecord* r)
{
    const int n = int(defs.size());
    uint64_t p = 0;
    int bits = 64;
    for (int f : fields) {
        if (IsText(defs[size_t(f)].DataType)) {
            const auto& ranks = FoldRanks();
            std::string_view v = TableBlob::Bytes(r->Blob, n, f);
            for (size_t i = 0; bits >= 9; ++i, bits -= 9)
                p = (p << 9) | (i < v.size() ? ranks[uint8_t(v[i])] : 0);
            break;
        }
        if (bits < 33)
            break;
        uint64_t x = TableBlob::IsNull(r->Blob, n, f)
                         ? 0
                         : uint64_t(int64_t(TableBlob::Int(r->Blob, n, f)) + 2147483648LL) + 1;
        p = (p << 33) | x;
        bits -= 33;
    }
    return p << bits;
}

// The records of natural in key order, ties in natural order.
TRows SortedBy(const std::vector<TFieldDef>& defs, const std::vector<int>& fields, const TRows& natural)
{
    // Sorting compact (prefix, record) pairs touches the records themselves only when
    // prefixes tie, which keeps a large table's sort in the cache.
    std::vector<std::pair<uint64_t, TTableRecord*>> keyed;
    keyed.reserve(natural.size());
    for (TTableRecord* r : natural)
        keyed.emplace_back(SortPrefix(defs, fields, r), r);
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first)
            return a.first < b.first;
        if (int c = CompareKeys(defs, fields, fields.size(), a.second, b.second))
            return c < 0;
        return a.second->Id < b.second->Id;
    });
    TRows order;
    order.reserve(keyed.size());
    for (const auto& k : keyed)
        order.push_back(k.second);
    return order;
}

bool HasDuplicateKeys(const std::vector<TFieldDef>& defs, const std::vector<int>& fields, const TRows& order)
{
    for (size_t i = 1; i < order.size(); ++i)
        if (CompareKeys(defs, fields, fields.size(), order[i - 1], order[i]) == 0)
            return true;
    return false;
}

int FieldIndexIn(const std::vector<TFieldDef>& defs, std::string_view name)
{
    for (size_t i = 0; i < defs.size(); ++i)
        if (SameFieldName(defs[i].Name, name))
            return int(i);
    return -1;
}

std::vector<std::string> SplitFieldList(std::string_view list)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string_view::npos)
            end = list.size();
        std::string_view name = TrimBlanks(list.substr(start, end - start));
        if (!name.empty())
            out.emplace_back(name);
        start = end + 1;
    }
    return out;
}

std::vector<int> ResolveFields(const std::vector<TFieldDef>& defs, std::string_view list)
{
    std::vector<int> out;
    for (const std::string& name : SplitFieldList(list)) {
        int i = FieldIndexIn(defs, name);
        if (i < 0)
            DbError("Field '" + name + "' not found");
        out.push_back(i);
    }
    return out;
}

// A field value in the form a record stores it. Texts: empty means no value; with cut,
// a string field's text is cut to its size. Integers: texts are parsed.
TValue Normalize(const TFieldDef& def, const TValue& v, bool cut)
{
    if (!IsText(def.DataType)) {
        if (v.IsNull() || v.IsInteger())
            return v;
        std::string s = v.AsString();
        if (TrimBlanks(s).empty())
            return {};
        return TValue(int(ParseInteger(s)));
    }
    std::string s = v.AsString();
    if (cut && def.DataType == ftString && s.size() > size_t(def.Size))
        s.resize(size_t(def.Size));
    if (s.empty())
        return {};
    return TValue(std::move(s));
}

std::string Encode(const std::vector<TFieldDef>& defs, const std::vector<TValue>& values)
{
    TableBlob::TBuilder b(int(defs.size()));
    for (size_t i = 0; i < defs.size(); ++i) {
        const TValue& v = values[i];
        if (v.IsNull())
            b.AddNull();
        else if (IsText(defs[i].DataType))
            b.AddBytes(v.AsString());
        else
            b.AddInt(v.AsInteger());
    }
    return b.Take();
}

void CheckDefs(const std::vector<TFieldDef>& defs)
{
    if (defs.empty())
        DbError("Table has no fields");
    for (size_t i = 0; i < defs.size(); ++i) {
        const TFieldDef& d = defs[i];
        if (d.Name.empty() || d.Name.size() > 255)
            DbError("Invalid field name '" + d.Name + "'");
        if (d.DataType < ftString || d.DataType > ftAutoInc)
            DbError("Field '" + d.Name + "' has an unknown type");
        if (d.DataType == ftString && d.Size <= 0)
            DbError("Field '" + d.Name + "' must have a size");
        for (size_t j = 0; j < i; ++j)
            if (SameFieldName(defs[j].Name, d.Name))
                DbError("Duplicate field name '" + d.Name + "'");
    }
}


} // namespace tableengine


bool SameFieldName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 32);
        if (y >= 'a' && y <= 'z')
            y = char(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// TValue

std::string TValue::AsString() const
{
    switch (FValue.index()) {
    case 1: return std::to_string(std::get<1>(FValue));
    case 2: return std::get<2>(FValue);
    default: return {};
    }
}

int32_t TValue::AsInteger() const
{
    switch (FValue.index()) {
    case 1: return std::get<1>(FValue);
    case 2: return TrimBlanks(std::get<2>(FValue)).empty() ? 0 : ParseInteger(std::get<2>(FValue));
    default: return 0;
    }
}


// ---------------------------------------------------------------------------
// TTableData

TTableData::~TTableData() { FreeRecords(); }

void TTableData::FreeRecords()
{
    for (TTableRecord* r : Natural)
        delete r;
    Natural.clear();
}

TTableRecord* TTableData::FindById(uint64_t id) const
{
    auto it = std::lower_bound(Natural.begin(), Natural.end(), id,
                               [](const TTableRecord* r, uint64_t v) { return r->Id < v; });
    return it != Natural.end() && (*it)->Id == id ? *it : nullptr;
}

void TTableData::InsertRecord(TTableRecord* rec, std::exception_ptr& error)
{
    Natural.push_back(rec);
    ++Stamp;
    for (TTable* c : Cursors)
        c->P->RecordInserted(rec, error);
}

void TTableData::ChangeRecord(TTableRecord* rec, std::string& blob, std::exception_ptr& error)
{
    for (TTable* c : Cursors)
        c->P->SaveRecordPos(rec);
    rec->Blob.swap(blob);
    ++Stamp;
    for (TTable* c : Cursors)
        c->P->RecordChanged(rec, error);
}

void TTableData::RemoveRecord(TTableRecord* rec)
{
    auto it = std::lower_bound(Natural.begin(), Natural.end(), rec,
                               [](const TTableRecord* a, const TTableRecord* b) { return a->Id < b->Id; });
    if (it == Natural.end() || *it != rec)
        return;
    int naturalPos = int(it - Natural.begin());
    Natural.erase(it);
    ++Stamp;
    for (TTable* c : Cursors)
        c->P->RecordRemoved(rec, naturalPos);
    delete rec;
}

void TTableData::RemoveAll()
{
    for (TTable* c : Cursors)
        c->P->AllRemoved();
    FreeRecords();
    ++Stamp;
}

void TTableData::Replace(std::vector<TFieldDef> defs, std::vector<std::unique_ptr<TTableRecord>> records,
                         int32_t nextAutoInc, std::exception_ptr& error)
{
    CheckDefs(defs);
    // Check every cursor's indexes against the new data before changing anything.
    TRows natural;
    natural.reserve(records.size());
    uint64_t id = NextId;
    for (auto& r : records) {
        r->Id = id++;
        natural.push_back(r.get());
    }
    std::vector<std::pair<TTableIndex*, TRows>> orders;
    for (TTable* c : Cursors)
        for (auto& idx : c->P->Indexes) {
            std::vector<int> fields = ResolveFields(defs, idx->Def.Fields);
            if (idx->Built || idx->Unique() || idx.get() == c->P->Active) {
                TRows order = SortedBy(defs, fields, natural);
                if (idx->Unique() && HasDuplicateKeys(defs, fields, order))
                    DbError("Key violation.");
                orders.emplace_back(idx.get(), std::move(order));
            }
        }
    for (TTable* c : Cursors)
        c->P->BeforeReload();
    FreeRecords();
    Defs = std::move(defs);
    Natural = std::move(natural);
    for (auto& r : records)
        r.release();
    NextId = id;
    // Auto-increment values are never handed out twice: continue after the highest.
    int32_t next = std::max<int32_t>(nextAutoInc, 1);
    const int n = FieldCount();
    for (int f = 0; f < n; ++f) {
        if (Defs[size_t(f)].DataType != ftAutoInc)
            continue;
        for (TTableRecord* r : Natural)
            if (!TableBlob::IsNull(r->Blob, n, f)) {
                int32_t v = TableBlob::Int(r->Blob, n, f);
                if (v >= next && v < INT32_MAX)
                    next = v + 1;
            }
    }
    NextAutoInc = next;
    ++Stamp;
    for (TTable* c : Cursors)
        c->P->AfterReload(orders, error);
}

void TTableData::DispatchAll()
{
    auto cursors = Cursors;
    for (TTable* c : cursors)
        c->P->Dispatch();
}

