#pragma once
// The in-memory table engine behind every list of the program: the card base
// (BaseTable), the card list (CardsTable, a second cursor over the card base's data)
// and the deck (DeckTable).
//
// A table is a cursor over shared data. The data (field definitions and records) is
// shared by every cursor cloned from the same table; each cursor has its own current
// record, active index, record filter, range, events and listeners. A change posted
// through one cursor is seen by all the others at once, and every index of every
// cursor is kept in order incrementally.
//
// Texts are Windows-1251 bytes, as everywhere in the program. Field names are matched
// without regard to ASCII letter case.
//
// Visible records: a cursor shows the records of its active order (an index, or the
// natural insertion order when no index is selected) that lie in its range (when one
// is set) and that its record filter accepts (when filtering is on). Navigation,
// RecordCount, RecNo, Locate, FindKey and the row access for grids all work on the
// visible records.
//
// After a record is posted through a cursor it becomes that cursor's current record.
// If the cursor's filter or range hides the posted record, the cursor moves to the
// nearest visible record instead: the one that follows the posted record's place in
// the active order, or the last visible record when none follows. A cursor whose
// current record is hidden or deleted through another cursor moves the same way.
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Library/Common/ExtUtils.h"

class TTable;
class TTableData;

// ---------------------------------------------------------------------------
// Errors.

// Any refusal of the engine: "Key violation.", "Field 'Name' must have a value",
// "Record not found", "Dataset not in edit or insert mode", ...
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A table file or packet that cannot be read or written: "Not a Tomelark table file",
// "Table file is damaged (checksum mismatch)", "Table file is truncated",
// "Unsupported table file version N", or a save that failed (the message names the path).
class ETableFileError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// ---------------------------------------------------------------------------
// Field and index definitions.

enum TFieldType : uint8_t {
    ftString = 1,  // text of at most Size bytes; a longer text is cut on assignment
    ftInteger = 2, // 32-bit signed integer
    ftMemo = 3,    // text of any length
    ftAutoInc = 4, // 32-bit integer assigned when a record is appended: increasing, never reused
};

struct TFieldDef {
    std::string Name;
    TFieldType DataType = ftString;
    int Size = 0;          // ftString only: the maximum length in bytes (characters)
    bool Required = false; // posting a record with this field null or empty fails
};

enum TIndexOption : unsigned {
    ixUnique = 1, // posting a record whose key another record already has fails: "Key violation."
};
using TIndexOptions = unsigned;

struct TIndexDef {
    std::string Name;
    std::string Fields; // "Name;Set;Version"
    TIndexOptions Options = 0;
};

enum TLocateOption : unsigned {
    loCaseInsensitive = 1, // texts compared ignoring letter case (Russian letters included)
    loPartialKey = 2,      // a text matches when it begins with the given value
};
using TLocateOptions = unsigned;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// A value given to or read from a field: null, an integer or a text. Converts
// implicitly from integers and texts so that key lists can be written as
// {name, set, version} or {3, "Forest"}.
class TValue {
public:
    TValue() = default;
    TValue(std::nullptr_t) {}
    TValue(int v) : FValue(int32_t(v)) {}
    TValue(const char* v) : FValue(std::string(v)) {}
    TValue(std::string v) : FValue(std::move(v)) {}
    TValue(std::string_view v) : FValue(std::string(v)) {}

    bool IsNull() const { return FValue.index() == 0; }
    bool IsInteger() const { return FValue.index() == 1; }
    bool IsString() const { return FValue.index() == 2; }
    // A null gives "" / 0; an integer gives its decimal text; a text is parsed as a
    // decimal integer ("'x' is not a valid integer value" when it is not one).
    std::string AsString() const;
    int32_t AsInteger() const;

    bool operator==(const TValue&) const = default;

private:
    std::variant<std::monostate, int32_t, std::string> FValue;
};

// A bookmark names one record of the data, stable while that record exists.
// An empty bookmark (a table without records) is valid to go to and does nothing.
struct TBookmark {
    uint64_t Id = 0;
    bool Empty() const { return Id == 0; }
    bool operator==(const TBookmark&) const = default;
};

// ---------------------------------------------------------------------------
// A field of a cursor: reads and writes the cursor's current record (its edit buffer
// while the cursor is in edit or insert state; the record being tested while the
// record filter runs). Field objects live as long as their table; pointers to them
// stay valid when the table is loaded again with a field of the same name.
class TField {
public:
    const std::string& FieldName() const { return FName; }
    int Index() const { return FIndex; } // position among the table's fields
    TFieldType DataType() const;
    int Size() const;
    bool Required() const;
    TTable& DataSet() const { return *FTable; }

    bool IsNull() const;
    // A null field reads as "" / 0. An integer field reads as its decimal text; a
    // text field read as an integer must hold a decimal integer.
    std::string AsString() const;
    int32_t AsInteger() const;
    TValue Value() const;

    // Writing needs edit or insert state. An empty text makes the field null; a text
    // longer than a string field's size is cut to the size; a text written to an
    // integer field must be a decimal integer.
    void SetAsString(std::string_view value);
    void SetAsInteger(int32_t value);
    void SetValue(const TValue& value);
    void Clear();

private:
    friend class TTable;
    TField(TTable* table, std::string name, int index) : FTable(table), FName(std::move(name)), FIndex(index) {}
    TTable* FTable;
    std::string FName;
    int FIndex; // -1 when the table no longer has a field of this name
};

// ---------------------------------------------------------------------------
// Change notices for a view bound to a cursor (the grid model). Every notice is sent
// after the change is complete and all cursors are consistent again; each one describes
// a single step from the visible rows before the change to the visible rows now, so a
// Qt model can answer it with a begin/end pair straight away:
//   DataReset        -> beginResetModel(); endResetModel();
//   RowInserted(r)   -> beginInsertRows(r, r); endInsertRows();
//   RowRemoved(r)    -> beginRemoveRows(r, r); endRemoveRows();
//   RowMoved(f, t)   -> beginMoveRows(f, f, t > f ? t + 1 : t); endMoveRows();
//   RowChanged(r)    -> dataChanged(row r)
// Rows are 0-based positions among the visible records. CurrentChanged tells the row
// of the current record (-1 when there is none) after it moved or after a reset.
// No notice reaches listeners while the cursor's controls are disabled.
class ITableListener {
public:
    virtual ~ITableListener() = default;
    virtual void DataReset(TTable& table) {}
    virtual void RowInserted(TTable& table, int row) {}
    virtual void RowRemoved(TTable& table, int row) {}
    virtual void RowMoved(TTable& table, int from, int to) {}
    virtual void RowChanged(TTable& table, int row) {}
    virtual void CurrentChanged(TTable& table, int row) {}
};

using TDataSetNotifyEvent = std::function<void(TTable& dataSet)>;
// Sets accept to false to hide the record; accept starts true.
using TFilterRecordEvent = std::function<void(TTable& dataSet, bool& accept)>;

// ---------------------------------------------------------------------------
class TTable {
public:
    TTable();
    ~TTable();
    TTable(const TTable&) = delete;
    TTable& operator=(const TTable&) = delete;

    // --- Creating and loading ---------------------------------------------------
    // Field definitions for CreateDataSet.
    void AddFieldDef(const std::string& name, TFieldType type, int size = 0, bool required = false);
    void ClearFieldDefs();
    // Makes the table active and empty with the field definitions given before.
    // Replaces the data of every cursor sharing it.
    void CreateDataSet();
    // Loads a table packet (field definitions and records). The table takes the
    // packet's fields. A packet that is not valid is refused and the table stays as it
    // was. Every cursor over the same data sees the loaded records.
    void LoadFromBytes(std::string_view packet);
    void LoadFromStream(std::istream& stream);
    void LoadFromFile(const std::string& path);
    // The packet of all records, in natural order. Posts a pending edit first.
    std::string SaveToBytes();
    // Replaces the file with the packet atomically (`WriteFileReplacing`). On failure
    // the previous file is left intact and the ETableFileError names the path.
    void SaveToFile(const std::string& path);
    // Makes this table a second cursor over the data of source: same records, seen
    // both ways at once. The clone starts on the first record, with no indexes, no
    // range, no filter and no filter callback; events and listeners of this object
    // are kept.
    void CloneCursor(TTable& source);
    // Leaves the data (the cursor becomes inactive); other cursors keep it.
    void Close();
    bool Active() const;

    // --- Fields ----------------------------------------------------------------
    int FieldCount() const;
    TField& Field(int index);
    const std::vector<TFieldDef>& FieldDefs() const;
    TField* FindField(std::string_view name);
    // EDatabaseError "Field 'X' not found" when missing.
    TField& FieldByName(std::string_view name);
    int FieldIndex(std::string_view name) const; // -1 when missing

    // --- State and editing -----------------------------------------------------
    TDataSetState State() const;
    bool Modified() const;
    // Starts a new record in insert state (auto-increment fields get their values),
    // runs AfterInsert. A pending edit is posted first.
    void Append();
    void Insert() { Append(); } // records have no physical position: same as Append
    // Puts the current record into edit state and runs AfterEdit. Nothing in edit or
    // insert state already.
    void Edit();
    // Checks required fields and unique indexes, stores the record, runs AfterPost.
    // On failure the cursor stays in its edit or insert state.
    void Post();
    void Cancel();
    // Runs BeforeDelete and deletes the current record; the next record (or the last
    // when it was the last) becomes current. In insert state, cancels the insert.
    void Delete();
    // Posts a pending edit or insert when a field was set, cancels it otherwise.
    // Navigation, Locate, index and filter changes do this first.
    void CheckBrowseMode();
    // Deletes every record at once, without per-record events.
    void EmptyDataSet();
    // Kept for callers that switch it; the engine keeps no change log.
    bool LogChanges() const;
    void SetLogChanges(bool on);

    // --- Navigation ------------------------------------------------------------
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Eof() const;
    bool Bof() const;
    bool IsEmpty() const;
    int RecordCount() const; // visible records
    int RecNo() const;       // 1-based position of the current record, 0 when none
    void SetRecNo(int recNo); // clamped to 1..RecordCount

    TBookmark GetBookmark() const;
    // EDatabaseError "Record not found" when the record was deleted or is not visible.
    void GotoBookmark(const TBookmark& bookmark);
    bool BookmarkValid(const TBookmark& bookmark) const;
    void FreeBookmark(TBookmark& bookmark) { bookmark = {}; }

    // --- Rows for grid views (do not move the cursor) ---------------------------
    int VisibleCount() const { return RecordCount(); }
    int CurrentRow() const; // 0-based row of the current record, -1 when none
    void GotoRow(int row);  // makes the record at row current
    bool RowIsNull(int row, int field) const;
    std::string RowString(int row, int field) const;
    int32_t RowInteger(int row, int field) const;
    TBookmark RowBookmark(int row) const;

    // --- Indexes, key search, ranges ---------------------------------------------
    // Adds a named index of this cursor on a field list ("Name;Set;Version"). A unique
    // index over records that already break it is refused with "Key violation.".
    void AddIndex(const std::string& name, const std::string& fields, TIndexOptions options = 0);
    void DeleteIndex(const std::string& name);
    std::vector<TIndexDef> IndexDefs() const;
    // Selects an index by name; "" selects the natural order. The current record stays
    // current; a range is cancelled.
    void SetIndexName(const std::string& name);
    const std::string& IndexName() const;
    int IndexFieldCount() const;
    TField& IndexField(int i);

    // Exact search on the leading fields of the active index (as many as values are
    // given); the first visible match becomes current. False when none.
    bool FindKey(const std::vector<TValue>& values);
    // Makes current the first visible record whose key is at or after the values.
    void FindNearest(const std::vector<TValue>& values);
    // Restricts the visible records to those whose leading index fields lie between
    // the start and end values (inclusive) and makes the first of them current.
    void SetRange(const std::vector<TValue>& startValues, const std::vector<TValue>& endValues);
    void CancelRange();

    // Finds the first visible record, in the current order, whose fields equal the
    // values (or begin with them with loPartialKey; ignoring case with
    // loCaseInsensitive) and makes it current. Values are compared as given (no
    // quoting rules). The current record stays when none matches.
    bool Locate(std::string_view fieldNames, const std::vector<TValue>& values, TLocateOptions options = 0);

    // --- Filter ------------------------------------------------------------------
    void SetOnFilterRecord(TFilterRecordEvent callback);
    const TFilterRecordEvent& OnFilterRecord() const;
    // Switching filtering on (again) runs the callback for every record; the current
    // record stays when it is still visible, otherwise the nearest visible one.
    void SetFiltered(bool on);
    bool Filtered() const;

    // --- Bound controls ------------------------------------------------------------
    void DisableControls();
    // At the outermost call sends one DataReset, one CurrentChanged and OnDataChange.
    void EnableControls();
    bool ControlsDisabled() const;
    void AddListener(ITableListener* listener);
    void RemoveListener(ITableListener* listener);

    // --- Events (per cursor) ---------------------------------------------------------
    TDataSetNotifyEvent BeforePost;
    TDataSetNotifyEvent AfterInsert;
    TDataSetNotifyEvent AfterEdit;
    TDataSetNotifyEvent AfterPost;
    TDataSetNotifyEvent AfterCancel;
    TDataSetNotifyEvent BeforeDelete;
    TDataSetNotifyEvent AfterDelete;
    TDataSetNotifyEvent AfterScroll;
    // The current record moved or the visible data changed (not while controls are
    // disabled). The data source's data-change event.
    TDataSetNotifyEvent OnDataChange;

private:
    friend class TField;
    friend class TTableData;
    struct TImpl;
    std::unique_ptr<TImpl> P;
};
