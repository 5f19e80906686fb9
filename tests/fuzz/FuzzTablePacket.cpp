// The table packet (the card base file) on any bytes, and, when it loads, walking and
// sorting its records as the card list does.
#include "FuzzSupport.h"
#include "data/TableEngine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TTable table;
    try {
        table.LoadFromBytes(fuzz::Bytes(data, size));
    } catch (const ETableFileError&) {
        return 0;
    }
    for (table.First(); !table.Eof(); table.Next())
        for (int i = 0; i < table.FieldCount(); ++i)
            (void)table.Field(i).AsString();
    if (table.FieldCount() > 0) {
        try {
            table.AddIndex("Fuzz", table.Field(0).FieldName());
            table.SetIndexName("Fuzz");
        } catch (const Exception&) {
        }
    }
    return 0;
}
