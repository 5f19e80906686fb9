// The pack stream on any bytes: scanning the entries, inflating each member, and the
// path walk that finds a member of a pack standing where a folder would be.
#include "FuzzSupport.h"
#include "Library/Common/PackStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string pack = fuzz::ScratchDir() + "/data";
    fuzz::WriteFile(pack, fuzz::Bytes(data, size));
    try {
        for (const TPackEntry& entry : ListPackEntries(pack)) {
            try {
                (void)InflatedSize(ReadPackEntryData(pack, entry), entry.Name);
            } catch (const EStreamError&) {
            }
        }
    } catch (const EStreamError&) {
    }
    for (const char* member : {"/cardbase.cds", "/frames/Cr.jpg"}) {
        try {
            TPackFileStream stream(pack + member, fmOpenRead);
            (void)stream.ReadAll();
        } catch (const EStreamError&) {
        }
    }
    return 0;
}
