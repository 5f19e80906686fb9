// Table engine: placeholder bodies until the engine lands; every operation refuses.
#include "data/TableEngine.h"

#include <istream>

namespace {
[[noreturn]] void NotYet() { throw EDatabaseError("Table engine: not implemented yet"); }
}

struct TTable::TImpl {};
class TTableData {};

std::string TValue::AsString() const { NotYet(); }
int32_t TValue::AsInteger() const { NotYet(); }

TFieldType TField::DataType() const { NotYet(); }
int TField::Size() const { NotYet(); }
bool TField::Required() const { NotYet(); }
bool TField::IsNull() const { NotYet(); }
std::string TField::AsString() const { NotYet(); }
int32_t TField::AsInteger() const { NotYet(); }
TValue TField::Value() const { NotYet(); }
void TField::SetAsString(std::string_view) { NotYet(); }
void TField::SetAsInteger(int32_t) { NotYet(); }
void TField::SetValue(const TValue&) { NotYet(); }
void TField::Clear() { NotYet(); }

TTable::TTable() : P(std::make_unique<TImpl>()) {}
TTable::~TTable() = default;
void TTable::AddFieldDef(const std::string&, TFieldType, int, bool) { NotYet(); }
void TTable::ClearFieldDefs() { NotYet(); }
void TTable::CreateDataSet() { NotYet(); }
void TTable::LoadFromBytes(std::string_view) { NotYet(); }
void TTable::LoadFromStream(std::istream&) { NotYet(); }
void TTable::LoadFromFile(const std::string&) { NotYet(); }
std::string TTable::SaveToBytes() { NotYet(); }
void TTable::SaveToFile(const std::string&) { NotYet(); }
void TTable::CloneCursor(TTable&) { NotYet(); }
void TTable::Close() { NotYet(); }
bool TTable::Active() const { return false; }
int TTable::FieldCount() const { NotYet(); }
TField& TTable::Field(int) { NotYet(); }
const std::vector<TFieldDef>& TTable::FieldDefs() const { NotYet(); }
TField* TTable::FindField(std::string_view) { NotYet(); }
TField& TTable::FieldByName(std::string_view) { NotYet(); }
int TTable::FieldIndex(std::string_view) const { NotYet(); }
TDataSetState TTable::State() const { return dsInactive; }
bool TTable::Modified() const { NotYet(); }
void TTable::Append() { NotYet(); }
void TTable::Edit() { NotYet(); }
void TTable::Post() { NotYet(); }
void TTable::Cancel() { NotYet(); }
void TTable::Delete() { NotYet(); }
void TTable::EmptyDataSet() { NotYet(); }
bool TTable::LogChanges() const { NotYet(); }
void TTable::SetLogChanges(bool) { NotYet(); }
void TTable::First() { NotYet(); }
void TTable::Last() { NotYet(); }
void TTable::Next() { NotYet(); }
void TTable::Prior() { NotYet(); }
int TTable::MoveBy(int) { NotYet(); }
bool TTable::Eof() const { NotYet(); }
bool TTable::Bof() const { NotYet(); }
bool TTable::IsEmpty() const { NotYet(); }
int TTable::RecordCount() const { NotYet(); }
int TTable::RecNo() const { NotYet(); }
void TTable::SetRecNo(int) { NotYet(); }
TBookmark TTable::GetBookmark() const { NotYet(); }
void TTable::GotoBookmark(const TBookmark&) { NotYet(); }
bool TTable::BookmarkValid(const TBookmark&) const { NotYet(); }
int TTable::CurrentRow() const { NotYet(); }
void TTable::GotoRow(int) { NotYet(); }
bool TTable::RowIsNull(int, int) const { NotYet(); }
std::string TTable::RowString(int, int) const { NotYet(); }
int32_t TTable::RowInteger(int, int) const { NotYet(); }
TBookmark TTable::RowBookmark(int) const { NotYet(); }
void TTable::AddIndex(const std::string&, const std::string&, TIndexOptions) { NotYet(); }
void TTable::DeleteIndex(const std::string&) { NotYet(); }
std::vector<TIndexDef> TTable::IndexDefs() const { NotYet(); }
void TTable::SetIndexName(const std::string&) { NotYet(); }
const std::string& TTable::IndexName() const { NotYet(); }
int TTable::IndexFieldCount() const { NotYet(); }
TField& TTable::IndexField(int) { NotYet(); }
bool TTable::FindKey(const std::vector<TValue>&) { NotYet(); }
void TTable::FindNearest(const std::vector<TValue>&) { NotYet(); }
void TTable::SetRange(const std::vector<TValue>&, const std::vector<TValue>&) { NotYet(); }
void TTable::CancelRange() { NotYet(); }
bool TTable::Locate(std::string_view, const std::vector<TValue>&, TLocateOptions) { NotYet(); }
void TTable::SetOnFilterRecord(TFilterRecordEvent) { NotYet(); }
const TFilterRecordEvent& TTable::OnFilterRecord() const { NotYet(); }
void TTable::SetFiltered(bool) { NotYet(); }
bool TTable::Filtered() const { NotYet(); }
void TTable::DisableControls() { NotYet(); }
void TTable::EnableControls() { NotYet(); }
bool TTable::ControlsDisabled() const { NotYet(); }
void TTable::AddListener(ITableListener*) { NotYet(); }
void TTable::RemoveListener(ITableListener*) { NotYet(); }
