// The rules text on any bytes: prepared for display with and without reminders, then
// laid out and drawn in a card's text box on a small picture. The first byte chooses
// where the flavour text starts and the starting character height.
#include "FuzzSupport.h"
#include "render/Fonts.h"
#include "render/RulesText.h"
#include "render/CardView.h"

#include <QFontDatabase>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    fuzz::EnsureGuiApplication();
    static const bool fonts = [] {
        if (!RegisterProgramFonts(TOMELARK_BIN_DIR))
            QFontDatabase::addApplicationFont(QStringLiteral(TOMELARK_SOURCE_DIR "/assets/font/ZizorUvaride.ttf"));
        return true;
    }();
    (void)fonts;
    const std::string_view input = fuzz::Bytes(data + 1, size - 1);
    const size_t split = input.size() * (data[0] & 0x0F) / 15;
    const std::string rules = PrepareRulesText(input.substr(0, split), "Fuzz Name", data[0] & 0x10);
    const std::string flavour(input.substr(split));

    static QImage picture(240, 180, QImage::Format_RGB888);
    TCanvas canvas(picture);
    canvas.SetMapMode(TMapMode::Metric);
    canvas.Font.Height = 20 + (data[0] >> 5) * 8;
    LayoutRulesText(canvas, TRect{20, -20, 600, -400}, rules, flavour);
    return 0;
}
