// The deck reader on any bytes, under each file name extension it knows, and the
// written forms of whatever it read.
#include "FuzzSupport.h"
#include "data/DeckFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* const names[] = {"deck.mdc", "deck.txt", "deck.cod", "deck.dek",
                                        "deck.dck", "deck.mwDeck", "deck.csv", "deck"};
    const char* name = names[data[0] % 8];
    try {
        const TDeckContent deck = ReadDeckContent(fuzz::Bytes(data + 1, size - 1), name);
        for (TDeckFormat f : {TDeckFormat::Mdc, TDeckFormat::Text, TDeckFormat::Cockatrice,
                              TDeckFormat::Mtgo})
            (void)WriteDeckContent(deck, f);
    } catch (const EDeckFormatError&) {
    }
    return 0;
}
