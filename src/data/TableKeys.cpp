// The table engine's indexes, key search, ranges and locate.
#include "data/TableImpl.h"

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
    // A new order of the same records: what the filter let through stays, unless a
    // range narrowed the view.
    const bool sameFilter = !P->Ranged;
    P->Active = idx;
    P->Ranged = false;
    P->RebuildView(true, sameFilter);
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

