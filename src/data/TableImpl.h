#pragma once
// The cursor of the table engine and the helpers its source files share; not for
// other units. The engine's source files, by concern:
//   TableRecords.cpp  the records and their order: comparing, sorting, encoding, the
//                     data shared by all cursors (TTableData)
//   TableEngine.cpp   fields, creating, loading, saving and cloning tables
//   TableCursor.cpp   editing and navigation, bookmarks, rows for grids
//   TableKeys.cpp     indexes, key search, ranges, locate
//   TableFilter.cpp   the record filter, bound controls and listeners
//   TablePacket.cpp   the byte form of a table
//
// Orders are sorted vectors of record pointers. The natural order (insertion order,
// by record Id) belongs to the data; each index keeps its own vector, sorted by its key
// fields and then by Id so that ties follow the natural order. A cursor's visible rows
// are its active order itself, or, while a filter or range is on, a vector of the
// records that pass ("the view"), kept in the same order. Every change is applied to
// all of these in place (binary search, then one insert or erase), never by a rebuild.
#include "data/TableInternal.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace tableengine {

[[noreturn]] void DbError(const std::string& message);
bool IsText(TFieldType t);
extern const std::vector<TTableRecord*> kNoRows;
extern const std::string kNoName;
using TRows = std::vector<TTableRecord*>;
std::string_view TrimBlanks(std::string_view s);
int32_t ParseInteger(std::string_view text);
int CompareField(const std::vector<TFieldDef>& defs, int f, const TTableRecord* a, const TTableRecord* b);
int CompareKeys(const std::vector<TFieldDef>& defs, const std::vector<int>& fields, size_t k, const TTableRecord* a,
                const TTableRecord* b);
// Order of an index (or the natural order when idx is null): key, then Id.
int CompareOrder(const std::vector<TFieldDef>& defs, const TTableIndex* idx, const TTableRecord* a,
                 const TTableRecord* b);
size_t LowerPos(const std::vector<TFieldDef>& defs, const TTableIndex* idx, const TRows& v, const TTableRecord* probe);
int FindPos(const std::vector<TFieldDef>& defs, const TTableIndex* idx, const TRows& v, const TTableRecord* rec);
// After rec's values changed: moves it from old to its new place; returns the new place.
int Reposition(const std::vector<TFieldDef>& defs, const TTableIndex* idx, TRows& v, int old, TTableRecord* rec);
uint64_t SortPrefix(const std::vector<TFieldDef>& defs, const std::vector<int>& fields, const TTableRecord* r);
// The records of natural in key order, ties in natural order.
TRows SortedBy(const std::vector<TFieldDef>& defs, const std::vector<int>& fields, const TRows& natural);
bool HasDuplicateKeys(const std::vector<TFieldDef>& defs, const std::vector<int>& fields, const TRows& order);
int FieldIndexIn(const std::vector<TFieldDef>& defs, std::string_view name);
std::vector<std::string> SplitFieldList(std::string_view list);
std::vector<int> ResolveFields(const std::vector<TFieldDef>& defs, std::string_view list);
// A field value in the form a record stores it. Texts: empty means no value; with cut,
// a string field's text is cut to its size. Integers: texts are parsed.
TValue Normalize(const TFieldDef& def, const TValue& v, bool cut);
std::string Encode(const std::vector<TFieldDef>& defs, const std::vector<TValue>& values);
void CheckDefs(const std::vector<TFieldDef>& defs);

} // namespace tableengine

using namespace tableengine;

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
    // Which records the filter lets through, by record id. Records are visited in
    // their natural order, which is the order they lie in memory: a large table's
    // callbacks then read their fields from the cache. With keepView, the view being
    // replaced (kept up to date with every change) tells instead, and no callback runs:
    // only the order changes.
    std::vector<uint8_t> AcceptedById(bool keepView)
    {
        const TRows& natural = Data->Natural;
        std::vector<uint8_t> accepted(natural.empty() ? 0 : size_t(natural.back()->Id) + 1, 0);
        if (keepView) {
            for (const TTableRecord* r : View)
                accepted[size_t(r->Id)] = 1;
        } else {
            for (const TTableRecord* r : natural)
                accepted[size_t(r->Id)] = Accepts(r, nullptr) ? 1 : 0;
        }
        return accepted;
    }

    void RebuildView(bool keepCurrent, bool sameFilter = false)
    {
        bool materialize = Ranged || (Filtered && OnFilter);
        TRows view;
        if (materialize && !Ranged) {
            // The whole order, filtered.
            const std::vector<uint8_t> accepted = AcceptedById(sameFilter && Materialized);
            const TRows& base = BaseOrder();
            view.reserve(base.size());
            for (TTableRecord* r : base)
                if (accepted[size_t(r->Id)])
                    view.push_back(r);
        } else if (materialize) {
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
        for (auto& entry : orders) {
            TTableIndex* idx = entry.first;
            if (std::find_if(Indexes.begin(), Indexes.end(), [idx](auto& p) { return p.get() == idx; }) ==
                Indexes.end())
                continue;
            idx->Order = std::move(entry.second);
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
