// The table engine: fields, creating, loading, saving and cloning tables (the other
// parts are listed in TableImpl.h).
#include "data/TableImpl.h"

#include "Library/Common/FileUtils.h"

#include <fstream>
#include <istream>

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
        throw ETableFileError("Cannot open table file \"" + Utf8ToWin1251(path) + "\"");
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
        throw ETableFileError(Utf8ToWin1251("Не удается сохранить файл таблицы \"") + Utf8ToWin1251(path) + "\": "
                             + Utf8ToWin1251(e.Reason()));
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

