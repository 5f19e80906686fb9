// The table engine's cursor: state and editing, navigation, bookmarks, rows for grids.
#include "data/TableImpl.h"

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

