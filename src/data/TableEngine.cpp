// The table engine: shared data, cursors, indexes, filter, search and notices.
//
// Orders are sorted vectors of record pointers. The natural order (insertion order,
// by record Id) belongs to the data; each index keeps its own vector, sorted by its key
// fields and then by Id so that ties follow the natural order. A cursor's visible rows
// are its active order itself, or, while a filter or range is on, a vector of the
// records that pass ("the view"), kept in the same order. Every change is applied to
// all of these in place (binary search, then one insert or erase), never by a rebuild.
#include "data/TableInternal.h"

#include "Library/Common/FileUtils.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <istream>
#include <iterator>

namespace {

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

using TRows = std::vector<TTableRecord*>;

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

} // namespace

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
// The cursor's state.

struct TTable::TImpl {
    enum TNotice { nkNone, nkReset, nkInserted, nkRemoved, nkMoved, nkChanged };

    TTable* Self = nullptr;
    std::shared_ptr<TTableData> Data;
    std::vector<TFieldDef> PendingDefs;
    std::vector<std::unique_ptr<TField>> FieldObjects; // every field object ever handed out
    std::vector<TField*> Fields;                       // by field index
    std::vector<std::unique_ptr<TTableIndex>> Indexes;
    TTableIndex* Active = nullptr;

    TDataSetState State = dsInactive;
    TTableRecord* Current = nullptr;
    TTableRecord* EditTarget = nullptr;
    std::vector<TValue> Buffer;
    bool Modified = false;
    bool BofFlag = true;
    bool EofFlag = true;
    const TTableRecord* FilterRecord = nullptr;

    bool Filtered = false;
    TFilterRecordEvent OnFilter;
    bool Ranged = false;
    TTableRecord RangeStart, RangeEnd;
    size_t RangeStartCount = 0, RangeEndCount = 0;
    bool Materialized = false;
    TRows View;
    uint64_t ViewStamp = 1;

    mutable const TTableRecord* CacheRec = nullptr;
    mutable int CacheRow = -1;
    mutable uint64_t CacheDataStamp = 0, CacheViewStamp = 0;

    int DisableCount = 0;
    std::vector<ITableListener*> Listeners;
    bool LogChanges = true;

    TNotice Notice = nkNone;
    int NoticeA = -1, NoticeB = -1;
    bool CurrentMoved = false;

    std::vector<int> SavedIndexPos;
    int SavedViewPos = -1;

    // --- basics ---
    void CheckActive() const
    {
        if (!Data)
            DbError("Cannot perform this operation on a closed dataset");
    }
    const std::vector<TFieldDef>& Defs() const { return Data->Defs; }
    const TRows& BaseOrder() const { return Active ? Active->Order : Data->Natural; }
    const TRows& Rows() const
    {
        if (!Data)
            return kNoRows;
        return Materialized ? View : BaseOrder();
    }
    int RowOf(const TTableRecord* rec) const { return FindPos(Defs(), Active, Rows(), rec); }
    int LowerRow(const TTableRecord* probe) const { return int(LowerPos(Defs(), Active, Rows(), probe)); }
    int CurrentRow() const
    {
        if (!Current || !Data)
            return -1;
        if (CacheRec != Current || CacheDataStamp != Data->Stamp || CacheViewStamp != ViewStamp) {
            CacheRow = RowOf(Current);
            CacheRec = Current;
            CacheDataStamp = Data->Stamp;
            CacheViewStamp = ViewStamp;
        }
        return CacheRow;
    }
    void RememberRow(int row) const
    {
        CacheRec = Current;
        CacheRow = row;
        CacheDataStamp = Data->Stamp;
        CacheViewStamp = ViewStamp;
    }
    bool Editing() const { return State == dsEdit || State == dsInsert; }

    void AddNotice(TNotice kind, int a = -1, int b = -1)
    {
        if (Notice == nkNone) {
            Notice = kind;
            NoticeA = a;
            NoticeB = b;
        } else {
            Notice = nkReset;
        }
    }

    // Makes rec current; true when the current record changed.
    bool MoveTo(TTableRecord* rec)
    {
        if (rec == Current)
            return false;
        Current = rec;
        CurrentMoved = true;
        return true;
    }

    // Makes rec current for a navigation command: the Bof/Eof flags it leaves, the
    // row when the caller knows it (so the next CurrentRow needs no search), the
    // listeners told, then AfterScroll when the current record changed.
    void NavigateTo(TTableRecord* rec, bool bof, bool eof, int row = -1)
    {
        const bool moved = MoveTo(rec);
        if (row >= 0)
            RememberRow(row);
        BofFlag = bof;
        EofFlag = eof;
        Dispatch();
        if (moved && Self->AfterScroll)
            Self->AfterScroll(*Self);
    }

    void MoveAfterRemoval(int row)
    {
        const TRows& rows = Rows();
        if (rows.empty()) {
            Current = nullptr;
            BofFlag = EofFlag = true;
        } else {
            Current = rows[size_t(std::clamp(row, 0, int(rows.size()) - 1))];
        }
        CurrentMoved = true;
    }

    bool InRange(const TTableRecord* rec) const
    {
        if (!Ranged || !Active)
            return true;
        return CompareKeys(Defs(), Active->Fields, RangeStartCount, rec, &RangeStart) >= 0 &&
               CompareKeys(Defs(), Active->Fields, RangeEndCount, rec, &RangeEnd) <= 0;
    }

    // Runs the filter callback on rec. With error given, a failing callback hides the
    // record and its error is kept; without, the error propagates.
    bool Accepts(const TTableRecord* rec, std::exception_ptr* error)
    {
        if (!Filtered || !OnFilter)
            return true;
        bool accept = true;
        const TTableRecord* previous = FilterRecord;
        FilterRecord = rec;
        try {
            OnFilter(*Self, accept);
        } catch (...) {
            FilterRecord = previous;
            if (!error)
                throw;
            if (!*error)
                *error = std::current_exception();
            return false;
        }
        FilterRecord = previous;
        return accept;
    }

    bool Visible(const TTableRecord* rec, std::exception_ptr* error) { return InRange(rec) && Accepts(rec, error); }

    void BuildIndex(TTableIndex& idx)
    {
        if (idx.Built)
            return;
        // Another cursor over the data may already keep the same order (BaseTable and
        // CardsTable both sort by Name;Set;Version): copying it saves a sort.
        for (TTable* c : Data->Cursors)
            for (const auto& other : c->P->Indexes)
                if (other.get() != &idx && other->Built && other->Fields == idx.Fields) {
                    idx.Order = other->Order;
                    idx.Built = true;
                    return;
                }
        idx.Order = SortedBy(Defs(), idx.Fields, Data->Natural);
        idx.Built = true;
    }

    TTableIndex* FindIndex(std::string_view name) const
    {
        for (const auto& idx : Indexes)
            if (SameFieldName(idx->Def.Name, name))
                return idx.get();
        return nullptr;
    }

    // Recomputes the visible rows (filter and range) and places the cursor: on its
    // current record when keepCurrent and it is still visible, else on the nearest
    // visible one; on the first record otherwise. A failing filter callback changes
    // nothing.
    void RebuildView(bool keepCurrent)
    {
        bool materialize = Ranged || (Filtered && OnFilter);
        TRows view;
        if (materialize) {
            const TRows& base = BaseOrder();
            size_t lo = 0, hi = base.size();
            if (Ranged && Active) {
                const auto& defs = Defs();
                const auto& f = Active->Fields;
                lo = size_t(std::partition_point(base.begin(), base.end(),
                                                 [&](const TTableRecord* r) {
                                                     return CompareKeys(defs, f, RangeStartCount, r, &RangeStart) < 0;
                                                 }) -
                            base.begin());
                hi = size_t(std::partition_point(base.begin(), base.end(),
                                                 [&](const TTableRecord* r) {
                                                     return CompareKeys(defs, f, RangeEndCount, r, &RangeEnd) <= 0;
                                                 }) -
                            base.begin());
                hi = std::max(hi, lo);
            }
            view.reserve(hi - lo);
            for (size_t i = lo; i < hi; ++i)
                if (Accepts(base[i], nullptr))
                    view.push_back(base[i]);
        }
        Materialized = materialize;
        View.swap(view);
        ++ViewStamp;
        Place(keepCurrent);
        AddNotice(nkReset);
    }

    void Place(bool keepCurrent)
    {
        const TRows& rows = Rows();
        TTableRecord* target = nullptr;
        if (!rows.empty()) {
            if (keepCurrent && Current) {
                int r = RowOf(Current);
                if (r < 0)
                    r = std::min(LowerRow(Current), int(rows.size()) - 1);
                target = rows[size_t(r)];
            } else {
                target = rows.front();
            }
        }
        Current = target;
        CurrentMoved = true;
        BofFlag = EofFlag = rows.empty();
        if (!keepCurrent && !rows.empty())
            BofFlag = true;
    }

    // --- changes coming from the data ---
    void RecordInserted(TTableRecord* rec, std::exception_ptr& error)
    {
        const auto& defs = Defs();
        int activeRow = -1;
        for (auto& idx : Indexes) {
            if (!idx->Built)
                continue;
            size_t p = LowerPos(defs, idx.get(), idx->Order, rec);
            idx->Order.insert(idx->Order.begin() + std::ptrdiff_t(p), rec);
            if (idx.get() == Active)
                activeRow = int(p);
        }
        if (!Active)
            activeRow = int(Data->Natural.size()) - 1;
        int row = -1;
        if (Materialized) {
            if (Visible(rec, &error)) {
                size_t p = LowerPos(defs, Active, View, rec);
                View.insert(View.begin() + std::ptrdiff_t(p), rec);
                row = int(p);
            }
        } else {
            row = activeRow;
        }
        if (row >= 0) {
            AddNotice(nkInserted, row);
            if (!Current) {
                Current = rec;
                CurrentMoved = true;
                BofFlag = EofFlag = false;
            }
        }
    }

    void SaveRecordPos(TTableRecord* rec)
    {
        const auto& defs = Defs();
        SavedIndexPos.assign(Indexes.size(), -1);
        for (size_t i = 0; i < Indexes.size(); ++i)
            if (Indexes[i]->Built)
                SavedIndexPos[i] = FindPos(defs, Indexes[i].get(), Indexes[i]->Order, rec);
        SavedViewPos = Materialized ? FindPos(defs, Active, View, rec) : -1;
    }

    void RecordChanged(TTableRecord* rec, std::exception_ptr& error)
    {
        const auto& defs = Defs();
        int oldRow = -1, newRow = -1;
        for (size_t i = 0; i < Indexes.size(); ++i) {
            TTableIndex* idx = Indexes[i].get();
            if (!idx->Built)
                continue;
            int old = SavedIndexPos[i];
            int now;
            if (old >= 0) {
                now = Reposition(defs, idx, idx->Order, old, rec);
            } else { // not expected: every built index holds every record
                size_t p = LowerPos(defs, idx, idx->Order, rec);
                idx->Order.insert(idx->Order.begin() + std::ptrdiff_t(p), rec);
                now = int(p);
            }
            if (idx == Active && !Materialized) {
                oldRow = old;
                newRow = now;
            }
        }
        if (!Active && !Materialized)
            oldRow = newRow = FindPos(defs, nullptr, Data->Natural, rec);
        if (Materialized) {
            int old = SavedViewPos;
            bool visible = Visible(rec, &error);
            if (old >= 0 && visible) {
                oldRow = old;
                newRow = Reposition(defs, Active, View, old, rec);
            } else if (old >= 0) {
                View.erase(View.begin() + old);
                oldRow = old;
            } else if (visible) {
                size_t p = LowerPos(defs, Active, View, rec);
                View.insert(View.begin() + std::ptrdiff_t(p), rec);
                newRow = int(p);
            }
        }
        if (oldRow >= 0 && newRow >= 0) {
            AddNotice(oldRow == newRow ? nkChanged : nkMoved, oldRow, newRow);
            if (Current == rec && oldRow != newRow)
                CurrentMoved = true;
        } else if (oldRow >= 0) {
            AddNotice(nkRemoved, oldRow);
            if (Current == rec)
                MoveAfterRemoval(oldRow);
        } else if (newRow >= 0) {
            AddNotice(nkInserted, newRow);
            if (!Current) {
                Current = rec;
                CurrentMoved = true;
                BofFlag = EofFlag = false;
            }
        }
    }

    void RecordRemoved(TTableRecord* rec, int naturalPos)
    {
        const auto& defs = Defs();
        int row = -1;
        for (auto& idx : Indexes) {
            if (!idx->Built)
                continue;
            int p = FindPos(defs, idx.get(), idx->Order, rec);
            if (p >= 0)
                idx->Order.erase(idx->Order.begin() + p);
            if (idx.get() == Active && !Materialized)
                row = p;
        }
        if (!Active && !Materialized)
            row = naturalPos;
        if (Materialized) {
            int p = FindPos(defs, Active, View, rec);
            if (p >= 0) {
                View.erase(View.begin() + p);
                row = p;
            }
        }
        if (row >= 0)
            AddNotice(nkRemoved, row);
        if (EditTarget == rec)
            EditTarget = nullptr;
        if (Current == rec)
            MoveAfterRemoval(std::max(row, 0));
        CacheRec = nullptr;
    }

    void AllRemoved()
    {
        for (auto& idx : Indexes)
            idx->Order.clear();
        View.clear();
        ++ViewStamp;
        Current = EditTarget = nullptr;
        CacheRec = nullptr;
        BofFlag = EofFlag = true;
        AddNotice(nkReset);
        CurrentMoved = true;
    }

    // Before the data gets new fields and records: drop every pointer into the old ones.
    void BeforeReload()
    {
        if (Editing()) {
            State = dsBrowse;
            Buffer.clear();
            Modified = false;
        }
        EditTarget = Current = nullptr;
        FilterRecord = nullptr;
        CacheRec = nullptr;
        View.clear();
        Materialized = false;
        Ranged = false;
        for (auto& idx : Indexes)
            idx->Order.clear();
    }

    void AfterReload(std::vector<std::pair<TTableIndex*, TRows>>& orders, std::exception_ptr& error)
    {
        SyncFields();
        for (auto& idx : Indexes) {
            idx->Fields = ResolveFields(Defs(), idx->Def.Fields); // checked before
            idx->Built = false;
        }
        for (auto& [idx, order] : orders) {
            if (std::find_if(Indexes.begin(), Indexes.end(), [&](auto& p) { return p.get() == idx; }) ==
                Indexes.end())
                continue;
            idx->Order = std::move(order);
            idx->Built = true;
        }
        if (Active)
            BuildIndex(*Active);
        try {
            RebuildView(false);
        } catch (...) {
            // The filter failed: show nothing rather than stale rows.
            Materialized = true;
            View.clear();
            ++ViewStamp;
            Place(false);
            AddNotice(nkReset);
            if (!error)
                error = std::current_exception();
        }
    }

    void SyncFields()
    {
        for (auto& f : FieldObjects)
            f->FIndex = -1;
        Fields.clear();
        if (!Data)
            return;
        for (size_t i = 0; i < Data->Defs.size(); ++i) {
            const TFieldDef& d = Data->Defs[i];
            TField* field = nullptr;
            for (auto& f : FieldObjects)
                if (f->FIndex < 0 && SameFieldName(f->FName, d.Name)) {
                    field = f.get();
                    break;
                }
            if (!field) {
                FieldObjects.push_back(std::unique_ptr<TField>(new TField(Self, d.Name, int(i))));
                field = FieldObjects.back().get();
            }
            field->FIndex = int(i);
            field->FName = d.Name;
            Fields.push_back(field);
        }
    }

    void Dispatch()
    {
        if (Notice == nkNone && !CurrentMoved)
            return;
        TNotice kind = Notice;
        int a = NoticeA, b = NoticeB;
        bool moved = CurrentMoved || kind == nkReset;
        Notice = nkNone;
        CurrentMoved = false;
        if (DisableCount > 0)
            return;
        auto listeners = Listeners;
        for (ITableListener* l : listeners) {
            switch (kind) {
            case nkReset: l->DataReset(*Self); break;
            case nkInserted: l->RowInserted(*Self, a); break;
            case nkRemoved: l->RowRemoved(*Self, a); break;
            case nkMoved: l->RowMoved(*Self, a, b); break;
            case nkChanged: l->RowChanged(*Self, a); break;
            case nkNone: break;
            }
        }
        if (moved) {
            int row = CurrentRow();
            for (ITableListener* l : listeners)
                l->CurrentChanged(*Self, row);
        }
        if (Self->OnDataChange)
            Self->OnDataChange(*Self);
    }

    void DispatchAll()
    {
        if (Data)
            Data->DispatchAll();
        else
            Dispatch();
    }

    void Attach(std::shared_ptr<TTableData> data)
    {
        Data = std::move(data);
        Data->Cursors.push_back(Self);
        State = dsBrowse;
    }

    void Detach()
    {
        if (!Data)
            return;
        auto& c = Data->Cursors;
        c.erase(std::remove(c.begin(), c.end(), Self), c.end());
        Data.reset();
    }

    // New fields and records for the data of this cursor (fresh data when it has
    // none), for every cursor over it. When that fails a fresh table is left inactive
    // as before; otherwise the cursors hear of it and then an error the data put off
    // is raised.
    void ReplaceData(std::vector<TFieldDef> defs, std::vector<std::unique_ptr<TTableRecord>> records,
                     int32_t nextAutoInc)
    {
        std::exception_ptr error;
        const bool fresh = !Data;
        if (fresh)
            Attach(std::make_shared<TTableData>());
        try {
            Data->Replace(std::move(defs), std::move(records), nextAutoInc, error);
        } catch (...) {
            if (fresh) {
                Detach();
                State = dsInactive;
            }
            throw;
        }
        DispatchAll();
        if (error)
            std::rethrow_exception(error);
    }

    // --- reading and writing fields ---
    void CheckFieldIndex(const TField& field) const
    {
        CheckActive();
        if (field.FIndex < 0)
            DbError("Field '" + field.FName + "' not found");
    }

    TTableRecord EncodeKey(const std::vector<int>& fields, const std::vector<TValue>& values) const
    {
        std::vector<TValue> full(Defs().size());
        for (size_t j = 0; j < values.size(); ++j)
            full[size_t(fields[j])] = Normalize(Defs()[size_t(fields[j])], values[j], false);
        TTableRecord key;
        key.Blob = Encode(Defs(), full);
        return key;
    }

    const TTableRecord* FindLocate(const std::vector<int>& fields, const std::vector<TValue>& values,
                                   TLocateOptions options) const;
};

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

// ---------------------------------------------------------------------------
// TField

TFieldType TField::DataType() const
{
    FTable->P->CheckFieldIndex(*this);
    return FTable->P->Defs()[size_t(FIndex)].DataType;
}

int TField::Size() const
{
    FTable->P->CheckFieldIndex(*this);
    return FTable->P->Defs()[size_t(FIndex)].Size;
}

bool TField::Required() const
{
    FTable->P->CheckFieldIndex(*this);
    return FTable->P->Defs()[size_t(FIndex)].Required;
}

bool TField::IsNull() const
{
    const auto& p = *FTable->P;
    p.CheckFieldIndex(*this);
    if (!p.FilterRecord && p.Editing())
        return p.Buffer[size_t(FIndex)].IsNull();
    const TTableRecord* r = p.FilterRecord ? p.FilterRecord : p.Current;
    return !r || TableBlob::IsNull(r->Blob, p.Data->FieldCount(), FIndex);
}

std::string TField::AsString() const
{
    const auto& p = *FTable->P;
    p.CheckFieldIndex(*this);
    if (!p.FilterRecord && p.Editing())
        return p.Buffer[size_t(FIndex)].AsString();
    const TTableRecord* r = p.FilterRecord ? p.FilterRecord : p.Current;
    const int n = p.Data->FieldCount();
    if (!r || TableBlob::IsNull(r->Blob, n, FIndex))
        return {};
    if (IsText(p.Defs()[size_t(FIndex)].DataType))
        return std::string(TableBlob::Bytes(r->Blob, n, FIndex));
    return std::to_string(TableBlob::Int(r->Blob, n, FIndex));
}

int32_t TField::AsInteger() const
{
    const auto& p = *FTable->P;
    p.CheckFieldIndex(*this);
    if (!p.FilterRecord && p.Editing())
        return p.Buffer[size_t(FIndex)].AsInteger();
    const TTableRecord* r = p.FilterRecord ? p.FilterRecord : p.Current;
    const int n = p.Data->FieldCount();
    if (!r || TableBlob::IsNull(r->Blob, n, FIndex))
        return 0;
    if (IsText(p.Defs()[size_t(FIndex)].DataType))
        return ParseInteger(TableBlob::Bytes(r->Blob, n, FIndex));
    return TableBlob::Int(r->Blob, n, FIndex);
}

TValue TField::Value() const
{
    if (IsNull())
        return {};
    if (IsText(DataType()))
        return TValue(AsString());
    return TValue(int(AsInteger()));
}

void TField::SetValue(const TValue& value)
{
    auto& p = *FTable->P;
    p.CheckFieldIndex(*this);
    if (p.FilterRecord || !p.Editing())
        DbError("Dataset not in edit or insert mode");
    p.Buffer[size_t(FIndex)] = Normalize(p.Defs()[size_t(FIndex)], value, true);
    p.Modified = true;
}

void TField::SetAsString(std::string_view value) { SetValue(TValue(value)); }
void TField::SetAsInteger(int32_t value) { SetValue(TValue(int(value))); }
void TField::Clear() { SetValue(TValue()); }

// ---------------------------------------------------------------------------
// TTable: creating, loading, saving

TTable::TTable() : P(std::make_unique<TImpl>()) { P->Self = this; }

TTable::~TTable()
{
    P->Detach();
    for (auto& f : P->FieldObjects)
        f->FIndex = -1;
}

void TTable::AddFieldDef(const std::string& name, TFieldType type, int size, bool required)
{
    P->PendingDefs.push_back(TFieldDef{name, type, type == ftString ? size : 0, required});
}

void TTable::ClearFieldDefs() { P->PendingDefs.clear(); }

void TTable::CreateDataSet()
{
    CheckDefs(P->PendingDefs);
    P->ReplaceData(P->PendingDefs, {}, 1);
}

void TTable::LoadFromBytes(std::string_view packet)
{
    TPacketContent content = ReadTablePacket(packet);
    P->ReplaceData(std::move(content.Defs), std::move(content.Records), content.NextAutoInc);
}

void TTable::LoadFromStream(std::istream& stream)
{
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad())
        throw ETableFileError("Cannot read the table stream");
    LoadFromBytes(bytes);
}

void TTable::LoadFromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ETableFileError("Cannot open table file \"" + path + "\"");
    LoadFromStream(in);
}

std::string TTable::SaveToBytes()
{
    P->CheckActive();
    P->Self->CheckBrowseMode();
    return WriteTablePacket(*P->Data);
}

void TTable::SaveToFile(const std::string& path)
{
    const std::string bytes = SaveToBytes();
    try {
        WriteFileReplacing(path, bytes);
    } catch (const EFileWriteError& e) {
        throw ETableFileError("Cannot save table file \"" + path + "\": " + e.Reason());
    }
}

void TTable::CloneCursor(TTable& source)
{
    source.P->CheckActive();
    if (&source == this || source.P->Data == P->Data)
        return;
    if (P->Data)
        Close();
    P->Indexes.clear();
    P->Active = nullptr;
    P->Filtered = false;
    P->OnFilter = nullptr;
    P->Ranged = false;
    P->Attach(source.P->Data);
    P->SyncFields();
    P->RebuildView(false);
    P->Dispatch();
}

void TTable::Close()
{
    if (!P->Data)
        return;
    if (P->Editing()) {
        P->State = dsBrowse;
        P->Buffer.clear();
        P->Modified = false;
    }
    P->Detach();
    P->State = dsInactive;
    P->Indexes.clear();
    P->Active = nullptr;
    P->Ranged = false;
    P->Materialized = false;
    P->View.clear();
    P->Current = P->EditTarget = nullptr;
    P->CacheRec = nullptr;
    P->BofFlag = P->EofFlag = true;
    P->SyncFields();
    P->AddNotice(TImpl::nkReset);
    P->Dispatch();
}

bool TTable::Active() const { return P->Data != nullptr; }

// ---------------------------------------------------------------------------
// Fields

int TTable::FieldCount() const { return int(P->Fields.size()); }

TField& TTable::Field(int index)
{
    P->CheckActive();
    if (index < 0 || index >= FieldCount())
        DbError("Field index " + std::to_string(index) + " out of range");
    return *P->Fields[size_t(index)];
}

const std::vector<TFieldDef>& TTable::FieldDefs() const { return P->Data ? P->Data->Defs : P->PendingDefs; }

TField* TTable::FindField(std::string_view name)
{
    for (TField* f : P->Fields)
        if (SameFieldName(f->FName, name))
            return f;
    return nullptr;
}

TField& TTable::FieldByName(std::string_view name)
{
    P->CheckActive();
    if (TField* f = FindField(name))
        return *f;
    DbError("Field '" + std::string(name) + "' not found");
}

int TTable::FieldIndex(std::string_view name) const
{
    return P->Data ? FieldIndexIn(P->Data->Defs, name) : -1;
}

// ---------------------------------------------------------------------------
// State and editing

TDataSetState TTable::State() const { return P->State; }
bool TTable::Modified() const { return P->Modified; }
bool TTable::LogChanges() const { return P->LogChanges; }
void TTable::SetLogChanges(bool on) { P->LogChanges = on; }

void TTable::CheckBrowseMode()
{
    if (!P->Editing())
        return;
    if (P->Modified)
        Post();
    else
        Cancel();
}

void TTable::Append()
{
    P->CheckActive();
    CheckBrowseMode();
    const auto& defs = P->Defs();
    P->Buffer.assign(defs.size(), TValue());
    for (size_t i = 0; i < defs.size(); ++i)
        if (defs[i].DataType == ftAutoInc) {
            int32_t& next = P->Data->NextAutoInc;
            P->Buffer[i] = TValue(int(next));
            if (next < INT32_MAX)
                ++next;
        }
    P->State = dsInsert;
    P->Modified = false;
    P->EditTarget = nullptr;
    if (AfterInsert)
        AfterInsert(*this);
}

void TTable::Edit()
{
    P->CheckActive();
    if (P->Editing())
        return;
    if (!P->Current)
        DbError("Cannot perform this operation on an empty dataset");
    const auto& defs = P->Defs();
    const int n = int(defs.size());
    const std::string& b = P->Current->Blob;
    P->Buffer.assign(defs.size(), TValue());
    for (int i = 0; i < n; ++i) {
        if (TableBlob::IsNull(b, n, i))
            continue;
        if (IsText(defs[size_t(i)].DataType))
            P->Buffer[size_t(i)] = TValue(TableBlob::Bytes(b, n, i));
        else
            P->Buffer[size_t(i)] = TValue(int(TableBlob::Int(b, n, i)));
    }
    P->EditTarget = P->Current;
    P->State = dsEdit;
    P->Modified = false;
    if (AfterEdit)
        AfterEdit(*this);
}

void TTable::Post()
{
    P->CheckActive();
    if (!P->Editing())
        return;
    if (BeforePost)
        BeforePost(*this);
    if (!P->Editing()) // BeforePost may have cancelled
        return;
    TTableData& data = *P->Data;
    const auto& defs = data.Defs;
    for (size_t i = 0; i < defs.size(); ++i)
        if (defs[i].Required && P->Buffer[i].IsNull())
            DbError("Field '" + defs[i].Name + "' must have a value");
    const bool inserting = P->State == dsInsert;
    if (!inserting && !P->EditTarget)
        DbError("Record not found");
    std::vector<TValue> values = P->Buffer;
    for (size_t i = 0; i < defs.size(); ++i)
        if (defs[i].DataType == ftAutoInc && values[i].IsNull()) {
            values[i] = TValue(int(data.NextAutoInc));
            if (data.NextAutoInc < INT32_MAX)
                ++data.NextAutoInc;
        }
    TTableRecord candidate;
    candidate.Blob = Encode(defs, values);
    // Unique indexes of every cursor over the data.
    const TTableRecord* self = inserting ? nullptr : P->EditTarget;
    for (TTable* c : data.Cursors)
        for (auto& idx : c->P->Indexes) {
            if (!idx->Unique())
                continue;
            const TRows& o = idx->Order;
            const size_t k = idx->Fields.size();
            auto p = std::partition_point(o.begin(), o.end(), [&](const TTableRecord* r) {
                return CompareKeys(defs, idx->Fields, k, r, &candidate) < 0;
            });
            for (; p != o.end() && CompareKeys(defs, idx->Fields, k, *p, &candidate) == 0; ++p)
                if (*p != self)
                    DbError("Key violation.");
        }
    // Auto-increment values written by hand still keep later values unique.
    for (size_t i = 0; i < defs.size(); ++i)
        if (defs[i].DataType == ftAutoInc && values[i].IsInteger()) {
            int32_t v = values[i].AsInteger();
            if (v >= data.NextAutoInc && v < INT32_MAX)
                data.NextAutoInc = v + 1;
        }

    std::exception_ptr error;
    TTableRecord* rec;
    if (inserting) {
        rec = new TTableRecord;
        rec->Id = data.NextId++;
        rec->Blob = std::move(candidate.Blob);
        data.InsertRecord(rec, error);
    } else {
        rec = P->EditTarget;
        data.ChangeRecord(rec, candidate.Blob, error);
    }
    P->State = dsBrowse;
    P->Buffer.clear();
    P->Modified = false;
    P->EditTarget = nullptr;
    // The posted record becomes current, or the nearest visible one when hidden.
    const TRows& rows = P->Rows();
    int row = P->RowOf(rec);
    if (row >= 0) {
        P->Current = rec;
    } else if (rows.empty()) {
        P->Current = nullptr;
    } else {
        row = std::min(P->LowerRow(rec), int(rows.size()) - 1);
        P->Current = rows[size_t(row)];
    }
    P->CurrentMoved = true;
    P->BofFlag = P->EofFlag = rows.empty();
    P->DispatchAll();
    if (AfterPost)
        AfterPost(*this);
    if (error)
        std::rethrow_exception(error);
}

void TTable::Cancel()
{
    P->CheckActive();
    if (!P->Editing())
        return;
    P->State = dsBrowse;
    P->Buffer.clear();
    P->Modified = false;
    P->EditTarget = nullptr;
    if (AfterCancel)
        AfterCancel(*this);
}

void TTable::Delete()
{
    P->CheckActive();
    if (P->State == dsInsert) {
        Cancel();
        return;
    }
    if (P->State == dsEdit)
        Cancel();
    if (!P->Current)
        DbError("Cannot perform this operation on an empty dataset");
    if (BeforeDelete)
        BeforeDelete(*this);
    TTableRecord* rec = P->Current;
    if (!rec) // BeforeDelete emptied the table
        return;
    int row = P->CurrentRow();
    bool wasLast = row == int(P->Rows().size()) - 1;
    P->Data->RemoveRecord(rec);
    const TRows& rows = P->Rows();
    P->BofFlag = rows.empty();
    P->EofFlag = rows.empty() || wasLast;
    P->DispatchAll();
    if (AfterDelete)
        AfterDelete(*this);
}

void TTable::EmptyDataSet()
{
    P->CheckActive();
    if (P->Editing()) {
        P->State = dsBrowse;
        P->Buffer.clear();
        P->Modified = false;
    }
    P->Data->RemoveAll();
    P->DispatchAll();
}

// ---------------------------------------------------------------------------
// Navigation

int TTable::MoveBy(int distance)
{
    P->CheckActive();
    CheckBrowseMode();
    const TRows& rows = P->Rows();
    if (rows.empty()) {
        P->BofFlag = P->EofFlag = true;
        return 0;
    }
    int row = std::max(P->CurrentRow(), 0);
    int last = int(rows.size()) - 1;
    long target = long(row) + distance;
    bool bof = false, eof = false;
    if (target > last) {
        target = last;
        eof = distance > 0;
    } else if (target < 0) {
        target = 0;
        bof = distance < 0;
    }
    P->NavigateTo(rows[size_t(target)], bof, eof, int(target));
    return int(target) - row;
}

void TTable::First()
{
    P->CheckActive();
    CheckBrowseMode();
    const TRows& rows = P->Rows();
    P->NavigateTo(rows.empty() ? nullptr : rows.front(), true, rows.empty());
}

void TTable::Last()
{
    P->CheckActive();
    CheckBrowseMode();
    const TRows& rows = P->Rows();
    P->NavigateTo(rows.empty() ? nullptr : rows.back(), rows.empty(), true);
}

void TTable::Next() { MoveBy(1); }
void TTable::Prior() { MoveBy(-1); }
bool TTable::Eof() const { return P->EofFlag || P->Rows().empty(); }
bool TTable::Bof() const { return P->BofFlag || P->Rows().empty(); }
bool TTable::IsEmpty() const { return P->Rows().empty(); }
int TTable::RecordCount() const { return int(P->Rows().size()); }
int TTable::RecNo() const { return P->State == dsInsert ? 0 : P->CurrentRow() + 1; }

void TTable::SetRecNo(int recNo)
{
    int count = RecordCount();
    if (count == 0)
        return;
    GotoRow(std::clamp(recNo, 1, count) - 1);
}

TBookmark TTable::GetBookmark() const { return P->Current ? TBookmark{P->Current->Id} : TBookmark{}; }

bool TTable::BookmarkValid(const TBookmark& bookmark) const
{
    if (bookmark.Empty() || !P->Data)
        return false;
    const TTableRecord* rec = P->Data->FindById(bookmark.Id);
    return rec && P->RowOf(rec) >= 0;
}

void TTable::GotoBookmark(const TBookmark& bookmark)
{
    if (bookmark.Empty())
        return;
    P->CheckActive();
    CheckBrowseMode();
    TTableRecord* rec = P->Data->FindById(bookmark.Id);
    if (!rec || P->RowOf(rec) < 0)
        DbError("Record not found");
    P->NavigateTo(rec, false, false);
}

// ---------------------------------------------------------------------------
// Rows for grids

int TTable::CurrentRow() const { return P->CurrentRow(); }

void TTable::GotoRow(int row)
{
    P->CheckActive();
    CheckBrowseMode();
    const TRows& rows = P->Rows();
    if (row < 0 || row >= int(rows.size()))
        DbError("Row " + std::to_string(row) + " out of range");
    P->NavigateTo(rows[size_t(row)], false, false, row);
}

namespace {
const TTableRecord* RowRecord(const TRows& rows, int row)
{
    if (row < 0 || row >= int(rows.size()))
        DbError("Row " + std::to_string(row) + " out of range");
    return rows[size_t(row)];
}
} // namespace

bool TTable::RowIsNull(int row, int field) const
{
    const TTableRecord* r = RowRecord(P->Rows(), row);
    if (field < 0 || field >= FieldCount())
        DbError("Field index " + std::to_string(field) + " out of range");
    return TableBlob::IsNull(r->Blob, FieldCount(), field);
}

std::string TTable::RowString(int row, int field) const
{
    if (RowIsNull(row, field))
        return {};
    const TTableRecord* r = P->Rows()[size_t(row)];
    const int n = FieldCount();
    if (IsText(P->Defs()[size_t(field)].DataType))
        return std::string(TableBlob::Bytes(r->Blob, n, field));
    return std::to_string(TableBlob::Int(r->Blob, n, field));
}

int32_t TTable::RowInteger(int row, int field) const
{
    if (RowIsNull(row, field))
        return 0;
    const TTableRecord* r = P->Rows()[size_t(row)];
    const int n = FieldCount();
    if (IsText(P->Defs()[size_t(field)].DataType))
        return ParseInteger(TableBlob::Bytes(r->Blob, n, field));
    return TableBlob::Int(r->Blob, n, field);
}

TBookmark TTable::RowBookmark(int row) const { return TBookmark{RowRecord(P->Rows(), row)->Id}; }

// ---------------------------------------------------------------------------
// Indexes, key search, ranges

void TTable::AddIndex(const std::string& name, const std::string& fields, TIndexOptions options)
{
    P->CheckActive();
    if (name.empty())
        DbError("An index needs a name");
    if (P->FindIndex(name))
        DbError("Index '" + name + "' already exists");
    auto idx = std::make_unique<TTableIndex>();
    idx->Def = TIndexDef{name, fields, options};
    idx->Fields = ResolveFields(P->Defs(), fields);
    if (idx->Fields.empty())
        DbError("Index '" + name + "' has no fields");
    if (idx->Unique()) {
        P->BuildIndex(*idx);
        if (HasDuplicateKeys(P->Defs(), idx->Fields, idx->Order))
            DbError("Key violation.");
    }
    P->Indexes.push_back(std::move(idx));
}

void TTable::DeleteIndex(const std::string& name)
{
    P->CheckActive();
    TTableIndex* idx = P->FindIndex(name);
    if (!idx)
        DbError("Index '" + name + "' not found");
    if (idx == P->Active)
        SetIndexName("");
    auto& v = P->Indexes;
    v.erase(std::find_if(v.begin(), v.end(), [&](auto& p) { return p.get() == idx; }));
}

std::vector<TIndexDef> TTable::IndexDefs() const
{
    std::vector<TIndexDef> out;
    for (const auto& idx : P->Indexes)
        out.push_back(idx->Def);
    return out;
}

void TTable::SetIndexName(const std::string& name)
{
    P->CheckActive();
    TTableIndex* idx = nullptr;
    if (!name.empty()) {
        idx = P->FindIndex(name);
        if (!idx)
            DbError("Index '" + name + "' not found");
    }
    if (idx == P->Active)
        return;
    CheckBrowseMode();
    if (idx)
        P->BuildIndex(*idx);
    P->Active = idx;
    P->Ranged = false;
    P->RebuildView(true);
    P->Dispatch();
}

const std::string& TTable::IndexName() const { return P->Active ? P->Active->Def.Name : kNoName; }
int TTable::IndexFieldCount() const { return P->Active ? int(P->Active->Fields.size()) : 0; }

TField& TTable::IndexField(int i)
{
    if (i < 0 || i >= IndexFieldCount())
        DbError("Index field " + std::to_string(i) + " out of range");
    return *P->Fields[size_t(P->Active->Fields[size_t(i)])];
}

namespace {
void CheckKeyCount(const TTableIndex* idx, size_t count)
{
    if (!idx)
        DbError("No index is selected");
    if (count > idx->Fields.size())
        DbError("Too many key values for index '" + idx->Def.Name + "'");
}
} // namespace

bool TTable::FindKey(const std::vector<TValue>& values)
{
    P->CheckActive();
    CheckBrowseMode();
    CheckKeyCount(P->Active, values.size());
    TTableRecord key = P->EncodeKey(P->Active->Fields, values);
    const TRows& rows = P->Rows();
    const auto& defs = P->Defs();
    const auto& f = P->Active->Fields;
    const size_t k = values.size();
    auto it = std::partition_point(rows.begin(), rows.end(),
                                   [&](const TTableRecord* r) { return CompareKeys(defs, f, k, r, &key) < 0; });
    if (it == rows.end() || CompareKeys(defs, f, k, *it, &key) != 0)
        return false;
    P->NavigateTo(*it, false, false);
    return true;
}

void TTable::FindNearest(const std::vector<TValue>& values)
{
    P->CheckActive();
    CheckBrowseMode();
    CheckKeyCount(P->Active, values.size());
    TTableRecord key = P->EncodeKey(P->Active->Fields, values);
    const TRows& rows = P->Rows();
    if (rows.empty())
        return;
    const auto& defs = P->Defs();
    const auto& f = P->Active->Fields;
    const size_t k = values.size();
    auto it = std::partition_point(rows.begin(), rows.end(),
                                   [&](const TTableRecord* r) { return CompareKeys(defs, f, k, r, &key) < 0; });
    if (it == rows.end())
        --it;
    P->NavigateTo(*it, false, false);
}

void TTable::SetRange(const std::vector<TValue>& startValues, const std::vector<TValue>& endValues)
{
    P->CheckActive();
    CheckBrowseMode();
    CheckKeyCount(P->Active, startValues.size());
    CheckKeyCount(P->Active, endValues.size());
    TTableRecord start = P->EncodeKey(P->Active->Fields, startValues);
    TTableRecord end = P->EncodeKey(P->Active->Fields, endValues);
    bool wasRanged = P->Ranged;
    TTableRecord oldStart = P->RangeStart, oldEnd = P->RangeEnd;
    size_t oldStartCount = P->RangeStartCount, oldEndCount = P->RangeEndCount;
    P->RangeStart = std::move(start);
    P->RangeEnd = std::move(end);
    P->RangeStartCount = startValues.size();
    P->RangeEndCount = endValues.size();
    P->Ranged = true;
    try {
        P->RebuildView(false);
    } catch (...) {
        P->Ranged = wasRanged;
        P->RangeStart = std::move(oldStart);
        P->RangeEnd = std::move(oldEnd);
        P->RangeStartCount = oldStartCount;
        P->RangeEndCount = oldEndCount;
        throw;
    }
    P->Dispatch();
}

void TTable::CancelRange()
{
    P->CheckActive();
    if (!P->Ranged)
        return;
    CheckBrowseMode();
    P->Ranged = false;
    try {
        P->RebuildView(true);
    } catch (...) {
        P->Ranged = true;
        throw;
    }
    P->Dispatch();
}

// ---------------------------------------------------------------------------
// Locate

const TTableRecord* TTable::TImpl::FindLocate(const std::vector<int>& fields, const std::vector<TValue>& values,
                                              TLocateOptions options) const
{
    const auto& defs = Defs();
    const int n = int(defs.size());
    const bool caseless = options & loCaseInsensitive;
    const bool partial = options & loPartialKey;
    const size_t m = fields.size();

    std::vector<std::string> texts(m);
    std::vector<TValue> ints(m);
    for (size_t j = 0; j < m; ++j) {
        const TFieldDef& d = defs[size_t(fields[j])];
        if (IsText(d.DataType))
            texts[j] = values[j].AsString();
        else
            ints[j] = Normalize(d, values[j], false);
    }
    auto matches = [&](const TTableRecord* r) {
        for (size_t j = 0; j < m; ++j) {
            const int f = fields[j];
            if (IsText(defs[size_t(f)].DataType)) {
                std::string_view v = TableBlob::Bytes(r->Blob, n, f);
                const std::string& want = texts[j];
                bool ok;
                if (partial)
                    ok = caseless ? StartsWithText1251(v, want) : v.substr(0, want.size()) == want;
                else
                    ok = caseless ? TextEquals(v, want) : v == want;
                if (!ok)
                    return false;
            } else {
                bool isNull = TableBlob::IsNull(r->Blob, n, f);
                if (ints[j].IsNull() ? !isNull : (isNull || TableBlob::Int(r->Blob, n, f) != ints[j].AsInteger()))
                    return false;
            }
        }
        return true;
    };

    const TRows& rows = Rows();
    auto lo = rows.begin(), hi = rows.end();
    if (Active) {
        // Leading index fields compared exactly narrow the search to one run of equal keys.
        auto position = [&](int f) -> int {
            for (size_t j = 0; j < m; ++j)
                if (fields[j] == f)
                    return int(j);
            return -1;
        };
        std::vector<int> tight;
        std::vector<TValue> tightValues;
        for (int f : Active->Fields) {
            int j = position(f);
            if (j < 0 || (IsText(defs[size_t(f)].DataType) && (caseless || partial)))
                break;
            tight.push_back(f);
            tightValues.push_back(values[size_t(j)]);
        }
        if (!tight.empty()) {
            TTableRecord key = EncodeKey(tight, tightValues);
            const size_t k = tight.size();
            lo = std::partition_point(rows.begin(), rows.end(), [&](const TTableRecord* r) {
                return CompareKeys(defs, tight, k, r, &key) < 0;
            });
            hi = std::partition_point(lo, rows.end(), [&](const TTableRecord* r) {
                return CompareKeys(defs, tight, k, r, &key) <= 0;
            });
        } else {
            // A leading text field matched loosely: the index orders texts by their
            // case-folded letters first, so every candidate lies in the run that starts
            // at the first text not below the value when folded, and the run goes on
            // while texts still begin with (or equal) the value, folded.
            const int f = Active->Fields.front();
            const int j = position(f);
            if (j >= 0 && IsText(defs[size_t(f)].DataType)) {
                const std::string& want = texts[size_t(j)];
                lo = std::partition_point(rows.begin(), rows.end(), [&](const TTableRecord* r) {
                    return CompareText1251(TableBlob::Bytes(r->Blob, n, f), want) < 0;
                });
                hi = std::partition_point(lo, rows.end(), [&](const TTableRecord* r) {
                    std::string_view v = TableBlob::Bytes(r->Blob, n, f);
                    return partial ? StartsWithText1251(v, want) : CompareText1251(v, want) == 0;
                });
            }
        }
    }
    for (auto it = lo; it != hi; ++it)
        if (matches(*it))
            return *it;
    return nullptr;
}

bool TTable::Locate(std::string_view fieldNames, const std::vector<TValue>& values, TLocateOptions options)
{
    P->CheckActive();
    CheckBrowseMode();
    std::vector<int> fields = ResolveFields(P->Defs(), fieldNames);
    if (fields.empty() || fields.size() != values.size())
        DbError("Locate needs one value for each field");
    const TTableRecord* found = P->FindLocate(fields, values, options);
    if (!found)
        return false;
    P->NavigateTo(const_cast<TTableRecord*>(found), false, false);
    return true;
}

// ---------------------------------------------------------------------------
// Filter

void TTable::SetOnFilterRecord(TFilterRecordEvent callback)
{
    P->OnFilter = std::move(callback);
    if (P->Data && P->Filtered) {
        CheckBrowseMode();
        P->RebuildView(true);
        P->Dispatch();
    }
}

const TFilterRecordEvent& TTable::OnFilterRecord() const { return P->OnFilter; }
bool TTable::Filtered() const { return P->Filtered; }

void TTable::SetFiltered(bool on)
{
    if (!on && !P->Filtered)
        return;
    if (!P->Data) {
        P->Filtered = on;
        return;
    }
    CheckBrowseMode();
    bool was = P->Filtered;
    P->Filtered = on;
    try {
        P->RebuildView(true);
    } catch (...) {
        P->Filtered = was;
        throw;
    }
    P->Dispatch();
}

// ---------------------------------------------------------------------------
// Bound controls

void TTable::DisableControls() { ++P->DisableCount; }

void TTable::EnableControls()
{
    if (P->DisableCount == 0)
        return;
    if (--P->DisableCount > 0)
        return;
    P->Notice = TImpl::nkNone;
    P->CurrentMoved = false;
    auto listeners = P->Listeners;
    for (ITableListener* l : listeners)
        l->DataReset(*this);
    int row = P->CurrentRow();
    for (ITableListener* l : listeners)
        l->CurrentChanged(*this, row);
    if (OnDataChange)
        OnDataChange(*this);
}

bool TTable::ControlsDisabled() const { return P->DisableCount > 0; }

void TTable::AddListener(ITableListener* listener)
{
    auto& v = P->Listeners;
    if (listener && std::find(v.begin(), v.end(), listener) == v.end())
        v.push_back(listener);
}

void TTable::RemoveListener(ITableListener* listener)
{
    auto& v = P->Listeners;
    v.erase(std::remove(v.begin(), v.end(), listener), v.end());
}
