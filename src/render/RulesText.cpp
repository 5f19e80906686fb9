#include "render/RulesText.h"

#include "data/CardText.h"
#include "render/ManaSymbols.h"

#include <algorithm>

namespace {

constexpr const char* TextFont = "Georgia";
constexpr const char* DigitFont = "Palatino Linotype";

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Trims blanks and control characters at both ends.
std::string Trimmed(std::string_view s)
{
    size_t a = 0;
    size_t b = s.size();
    while (a < b && static_cast<unsigned char>(s[a]) <= ' ')
        ++a;
    while (b > a && static_cast<unsigned char>(s[b - 1]) <= ' ')
        --b;
    return std::string(s.substr(a, b - a));
}

std::string ReplaceAll(std::string text, std::string_view what, std::string_view with)
{
    if (what.empty())
        return text;
    std::string out;
    size_t pos = 0;
    for (;;) {
        const size_t hit = text.find(what, pos);
        if (hit == std::string::npos)
            break;
        out.append(text, pos, hit - pos);
        out.append(with);
        pos = hit + what.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

// Cuts a text into its non-empty trimmed lines (any run of CR and LF breaks).
std::vector<std::string> Lines(std::string text)
{
    std::vector<std::string> out;
    while (!text.empty()) {
        std::string piece = Trimmed(CutWord(text, "\r\n", true));
        if (!piece.empty())
            out.push_back(std::move(piece));
    }
    return out;
}

} // namespace

std::string PrepareRulesText(std::string_view rules, std::string_view selfName, bool showReminders)
{
    std::string text = ReplaceAll(std::string(rules), "%TAP", "%T");
    text = ReplaceAll(std::move(text), "~this~", selfName);
    if (showReminders)
        text.erase(std::remove(text.begin(), text.end(), '#'), text.end());
    else
        text = RemoveMarkedSpans(text, "#(", ")#");
    return text;
}

std::vector<std::string> RulesParagraphs(std::string_view rules, std::string_view flavour)
{
    std::vector<std::string> paragraphs = Lines(std::string(rules));
    for (std::string& piece : Lines(ReplaceAll(std::string(flavour), "--", "\r--")))
        paragraphs.push_back("&" + piece);
    return paragraphs;
}

void LayoutRulesText(TCanvas& canvas, const TRect& box, std::string_view rules, std::string_view flavour)
{
    canvas.Font.Color = Qt::black;
    TRulesLayout layout(canvas, box);
    layout.Run(RulesParagraphs(rules, flavour));
}

// ---------------------------------------------------------------------------

void TRulesLayout::Run(const std::vector<std::string>& paragraphs)
{
    Fitted = false;
    bool forced = false;
    LinePos = TRect{0, 0, 0, 0};
    const int32_t boxHeight = Box.Top - Box.Bottom;
    for (;;) {
        Canvas.Font.Style = 0;
        if (!Fitted && RectWidth(LinePos) > 0) {
            Fitted = LinePos.Top >= Box.Bottom && LinePos.Right <= Box.Right;
            if (!Fitted) {
                // Shrink by one unit; a text that does not fit even at one unit is
                // drawn at that size, from the top of the box.
                if (Canvas.Font.Height > 1)
                    Canvas.Font.Height -= 1;
                else
                    Fitted = forced = true;
            }
        }
        if (Fitted) {
            const int32_t used = Box.Top - LinePos.Top;
            int32_t s = (boxHeight - used) / 2;
            if (forced && s < 0)
                s = 0;
            LinePos = TRect{Box.Left, Box.Top - s, Box.Right, Box.Bottom};
        } else {
            LinePos = Box;
        }
        Alignment = 0;
        for (size_t i = 0; i < paragraphs.size(); ++i) {
            const TSize r = LayoutParagraph(paragraphs[i], !Fitted);
            if (i + 1 < paragraphs.size() && paragraphs[i][0] != '&')
                LinePos.Top -= RoundSaturated(r.cy * ParagraphGap);
            LinePos.Right = std::max(LinePos.Right, LinePos.Left + r.cx);
        }
        if (Fitted)
            break;
    }
    FittedHeight = Canvas.Font.Height;
}

TSize TRulesLayout::LayoutParagraph(const std::string& paragraph, bool measureOnly)
{
    std::string rest = paragraph;
    if (!rest.empty() && rest[0] == '&') {
        rest.erase(0, 1);
        Canvas.Font.Style = fsItalic;
    } else {
        Canvas.Font.Style = 0;
    }
    if (rest.compare(0, 2, "--") == 0) {
        Alignment = 2;
        rest.erase(0, 1);
    }

    std::string line;
    if (rest.find('\\') != std::string::npos)
        line = CutWord(rest, "\\", true);

    const int32_t boxWidth = Box.Right - Box.Left;
    int32_t widest = boxWidth;
    unsigned lineStyle = Canvas.Font.Style;
    int32_t h = 0;
    // Width of the line collected so far, -1 while it is one word not measured alone.
    int32_t lineWidth = 0;
    {
        const TSize m = DrawRulesLine(LinePos, line, true);
        if (m.cy)
            h = m.cy;
        widest = std::max(widest, m.cx);
        lineWidth = m.cx;
    }

    for (;;) {
        const bool chunk = rest.find('\\') != std::string::npos;
        const std::string word = CutWord(rest, chunk ? "\\" : " ", true);
        const std::string candidate = line.empty() ? word : line + " " + word;
        Canvas.Font.Style = lineStyle;
        const TSize m = DrawRulesLine(LinePos, candidate, true);
        if (!candidate.empty())
            h = m.cy;
        if (m.cx <= boxWidth && !word.empty()) {
            line = candidate;
            lineWidth = m.cx;
            continue;
        }
        // A single word wider than the box would run out of it: its width is reported
        // like that of a first chunk, so the fitting loop shrinks the text until it fits.
        if (lineWidth < 0) {
            const unsigned style = Canvas.Font.Style;
            Canvas.Font.Style = lineStyle;
            lineWidth = DrawRulesLine(LinePos, line, true).cx;
            Canvas.Font.Style = style;
        }
        widest = std::max(widest, lineWidth);
        // Emit the line collected so far.
        if (!measureOnly) {
            TRect r = LinePos;
            if (Alignment == 2) {
                Canvas.Font.Style = lineStyle;
                r.Left = r.Right - DrawRulesLine(r, line, true).cx;
            }
            Canvas.Font.Style = lineStyle;
            DrawRulesLine(r, line, false);
        }
        lineStyle = Canvas.Font.Style;
        LinePos.Top -= RoundSaturated(h * LineSpacing);
        line = word;
        lineWidth = -1;
        if (word.empty())
            break;
    }
    return TSize{widest, RoundSaturated(h * LineSpacing)};
}

void TRulesLayout::FlushRun(std::string& run, int32_t& x, int32_t top, bool digits, bool measureOnly)
{
    if (run.empty())
        return;
    Canvas.Font.Name = TextFont;
    if (digits) {
        const int32_t georgia = Canvas.TextHeight("O");
        Canvas.Font.Name = DigitFont;
        top -= (georgia - Canvas.TextHeight("O")) / 2;
    }
    if (!measureOnly)
        Canvas.TextOut(x, top, run);
    x += Canvas.TextWidth(run);
    run.clear();
}

TSize TRulesLayout::DrawRulesLine(const TRect& rect, std::string_view line, bool measureOnly)
{
    if (line.empty())
        return TSize{0, 0};
    Canvas.Font.Name = TextFont;
    int32_t x = rect.Left;
    std::string run;
    bool digits = IsDigit(line[0]);
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (IsDigit(c) != digits) {
            FlushRun(run, x, rect.Top, digits, measureOnly);
            digits = !digits;
        }
        if (c == '%') {
            FlushRun(run, x, rect.Top, digits, measureOnly);
            // A "%" at the end of the line has no code: an empty symbol circle.
            const char code = i + 1 < line.size() ? line[++i] : '\0';
            const TRect area{x, rect.Top, rect.Right, rect.Bottom};
            x += DrawSymbolsSmooth(Canvas, area, std::string_view(&code, 1), 0, measureOnly).cx;
        } else if (c == '(') {
            FlushRun(run, x, rect.Top, digits, measureOnly);
            run = "(";
            Canvas.Font.Style |= fsItalic;
        } else if (c == ')') {
            run += ')';
            FlushRun(run, x, rect.Top, digits, measureOnly);
            Canvas.Font.Style &= ~unsigned(fsItalic);
        } else {
            run += c;
        }
    }
    FlushRun(run, x, rect.Top, digits, measureOnly);
    Canvas.Font.Name = TextFont;
    return TSize{x - rect.Left, Canvas.TextHeight("OOOOO")};
}
