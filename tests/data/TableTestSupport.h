#pragma once
// Helpers shared by the table engine tests: small card tables and walks.
#include <string>
#include <vector>

#include "Library/Common/ExtUtils.h"
#include "data/TableEngine.h"

namespace tabletest {

inline std::string W(const char* utf8) { return Utf8ToWin1251(utf8); }

struct Row {
    std::string Name;
    std::string Set;
    std::string Version;
    TValue CostValue; // null when not given
    std::string NameR;
};

// A card-base-like table: Name(80, required), Set(2, required), Version(1),
// CostValue(integer), NameR(80), Text(memo).
inline void MakeCardTable(TTable& t)
{
    t.AddFieldDef("Name", ftString, 80, true);
    t.AddFieldDef("Set", ftString, 2, true);
    t.AddFieldDef("Version", ftString, 1);
    t.AddFieldDef("CostValue", ftInteger);
    t.AddFieldDef("NameR", ftString, 80);
    t.AddFieldDef("Text", ftMemo);
    t.CreateDataSet();
}

inline void AddRow(TTable& t, const Row& r)
{
    t.Append();
    t.FieldByName("Name").SetAsString(r.Name);
    t.FieldByName("Set").SetAsString(r.Set);
    t.FieldByName("Version").SetAsString(r.Version);
    t.FieldByName("CostValue").SetValue(r.CostValue);
    t.FieldByName("NameR").SetAsString(r.NameR);
    t.Post();
}

// Values of one field over the visible records, first to last (moves the cursor).
inline std::vector<std::string> Walk(TTable& t, const char* field = "Name")
{
    std::vector<std::string> out;
    t.First();
    while (!t.Eof()) {
        out.push_back(t.FieldByName(field).AsString());
        t.Next();
    }
    return out;
}

// The same through the row accessors (does not move the cursor).
inline std::vector<std::string> Rows(const TTable& t, const char* field = "Name")
{
    std::vector<std::string> out;
    int f = t.FieldIndex(field);
    for (int r = 0; r < t.VisibleCount(); ++r)
        out.push_back(t.RowString(r, f));
    return out;
}

} // namespace tabletest
