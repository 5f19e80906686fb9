// One picture decoder on any bytes: the target is built three times, once for each
// of JPEG, GIF and BMP (TOMELARK_FUZZ_FORMAT 0, 1, 2).
#include "FuzzSupport.h"
#include "Library/Common/ImageCodecs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    try {
#if TOMELARK_FUZZ_FORMAT == 0
        (void)DecodeJpeg(bytes);
#elif TOMELARK_FUZZ_FORMAT == 1
        (void)DecodeGif(bytes);
#else
        (void)DecodeBmp(bytes);
#endif
    } catch (const EImageError&) {
    }
    return 0;
}
