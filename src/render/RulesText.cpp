#include "render/RulesText.h"

#include "data/CardText.h"
#include "render/ManaSymbols.h"

#include <algorithm>
#include <cmath>

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
std::vector<std::string> Lines(const std::string& whole)
{
    std::vector<std::string> out;
    std::string_view text = whole;
    while (!text.empty()) {
        std::string piece = Trimmed(CutWordView(text, "\r\n", true));
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

void TRulesLayout::Pass(const std::vector<std::string>& paragraphs, bool measureOnly)
{
    Alignment = 0;
    for (size_t i = 0; i < paragraphs.size() && !PastTheEnd(measureOnly); ++i) {
        const TSize r = LayoutParagraph(paragraphs[i], measureOnly);
        if (i + 1 < paragraphs.size() && paragraphs[i][0] != '&')
            LinePos.Top -= RoundSaturated(r.cy * ParagraphGap);
        LinePos.Right = std::max(LinePos.Right, LinePos.Left + r.cx);
    }
}

bool TRulesLayout::FitsAt(const std::vector<std::string>& paragraphs, int32_t height)
{
    if (const auto known = Measured.find(height); known != Measured.end()) {
        LinePos = known->second.second;
        return known->second.first;
    }
    Canvas.Font.Height = height;
    Canvas.Font.Style = 0;
    LinePos = Box;
    Widths.clear();
    Pass(paragraphs, true);
    ++Measures;
    const bool fits = LinePos.Top >= Box.Bottom && LinePos.Right <= Box.Right;
    Measured[height] = {fits, LinePos};
    return fits;
}

void TRulesLayout::Run(const std::vector<std::string>& paragraphs)
{
    Fitted = false;
    Measured.clear();
    const int32_t start = std::max(1, Canvas.Font.Height);
    // The largest height, in whole units from the starting one down, at which the text
    // fits; a text that does not fit even at one unit is drawn at that size, from the
    // top of the box. A smaller height never needs more room, so the search starts
    // where the room the text took at the starting height says it will fit (the area
    // of a text goes with the square of its height), then walks to the boundary by
    // doubling steps and halves between; StepByStep tries the heights one by one from
    // the top instead.
    int32_t chosen = start;
    bool forced = false;
    if (!FitsAt(paragraphs, start)) {
        if (StepByStep) {
            for (chosen = start - 1; chosen >= 1 && !FitsAt(paragraphs, chosen); --chosen) {
            }
        } else {
            const double used = std::max<int32_t>(1, Box.Top - LinePos.Top);
            const double wide = std::max<int32_t>(1, LinePos.Right - Box.Left);
            double ratio = std::sqrt((Box.Top - Box.Bottom) / used);
            ratio = std::min(ratio, (Box.Right - Box.Left) / wide);
            const int32_t guess = std::clamp(int32_t(start * ratio), 1, start - 1);
            int32_t fits = 0, fails = start; // the answer lies in [fits, fails)
            if (FitsAt(paragraphs, guess)) {
                fits = guess;
                for (int32_t step = 1; fits + step < fails; step *= 2) {
                    if (!FitsAt(paragraphs, fits + step)) {
                        fails = fits + step;
                        break;
                    }
                    fits += step;
                }
            } else {
                fails = guess;
                for (int32_t step = 1; fails - step > fits; step *= 2) {
                    if (FitsAt(paragraphs, fails - step)) {
                        fits = fails - step;
                        break;
                    }
                    fails -= step;
                }
            }
            while (fails - fits > 1) {
                const int32_t mid = fits + (fails - fits) / 2;
                if (FitsAt(paragraphs, mid))
                    fits = mid;
                else
                    fails = mid;
            }
            chosen = fits;
        }
        if (chosen < 1) {
            chosen = 1;
            forced = true;
        }
    }
    // The drawing pass, centred vertically by the room the text takes at that height.
    if (!FitsAt(paragraphs, chosen))
        forced = true;
    const int32_t boxHeight = Box.Top - Box.Bottom;
    const int32_t usedHeight = Box.Top - LinePos.Top;
    int32_t gap = (boxHeight - usedHeight) / 2;
    if (forced && gap < 0)
        gap = 0;
    Fitted = true;
    Canvas.Font.Height = chosen;
    Canvas.Font.Style = 0;
    Widths.clear();
    LinePos = TRect{Box.Left, Box.Top - gap, Box.Right, Box.Bottom};
    Pass(paragraphs, false);
    FittedHeight = chosen;
}

bool TRulesLayout::PastTheEnd(bool measureOnly) const
{
    // A measuring pass that has run this far below the box knows that the text does
    // not fit; the drawing pass draws nothing below the box.
    const int32_t boxHeight = Box.Top - Box.Bottom;
    const int32_t end = measureOnly ? Box.Bottom - 3 * boxHeight : Box.Bottom;
    return LinePos.Top < end;
}

TSize TRulesLayout::LayoutParagraph(const std::string& paragraph, bool measureOnly)
{
    std::string_view rest = paragraph;
    if (!rest.empty() && rest[0] == '&') {
        rest.remove_prefix(1);
        Canvas.Font.Style = fsItalic;
    } else {
        Canvas.Font.Style = 0;
    }
    if (rest.substr(0, 2) == "--") {
        Alignment = 2;
        rest.remove_prefix(1);
    }
    // Chunks end at "\" up to the last one, words at blanks after it.
    const char* const lastChunkEnd = [&] {
        const size_t at = rest.rfind('\\');
        return at == std::string_view::npos ? nullptr : rest.data() + at;
    }();
    auto inChunks = [&] { return lastChunkEnd && rest.data() <= lastChunkEnd; };

    const int32_t boxWidth = Box.Right - Box.Left;
    int32_t widest = boxWidth;
    int32_t h = 0;
    // Every word is measured once, in the style it starts in (a parenthesis turns
    // italics on and off); a line's width is its words' and blanks' widths added.
    // Words recur ("target", "creature"): their widths at this height are kept.
    auto measure = [&](std::string_view piece, unsigned style, unsigned& after) {
        after = style;
        for (char c : piece) {
            if (c == '(')
                after |= fsItalic;
            else if (c == ')')
                after &= ~unsigned(fsItalic);
        }
        auto key = std::make_pair(style, std::string(piece));
        if (const auto known = Widths.find(key); known != Widths.end()) {
            h = LineHeight;
            return known->second;
        }
        Canvas.Font.Style = style;
        const TSize m = DrawRulesLine(LinePos, piece, true);
        if (m.cy)
            h = LineHeight = m.cy;
        Widths.emplace(std::move(key), m.cx);
        return m.cx;
    };
    auto blank = [&](unsigned style) {
        unsigned ignored;
        return measure(" ", style, ignored);
    };

    std::string line;
    unsigned lineStyle = Canvas.Font.Style; // the style the line starts in
    unsigned afterLine = lineStyle;         // and the style after it
    int32_t lineWidth = 0;
    if (inChunks()) {
        line = CutWordView(rest, "\\", true);
        lineWidth = measure(line, lineStyle, afterLine);
        widest = std::max(widest, lineWidth);
    }

    for (;;) {
        const std::string_view word = CutWordView(rest, inChunks() ? "\\" : " ", true);
        unsigned afterWord = afterLine;
        int32_t wordWidth = 0;
        if (!word.empty()) {
            wordWidth = measure(word, afterLine, afterWord);
            const int32_t candidate = line.empty() ? wordWidth : lineWidth + blank(afterLine) + wordWidth;
            if (candidate <= boxWidth) {
                if (!line.empty())
                    line += ' ';
                line += word;
                lineWidth = candidate;
                afterLine = afterWord;
                continue;
            }
        }
        // The line collected so far goes out (empty before a first word wider than the
        // box). Such a word counts as wide as it is, so the fitting shrinks the text
        // until it fits.
        widest = std::max(widest, lineWidth);
        if (!measureOnly && !PastTheEnd(false)) {
            TRect r = LinePos;
            if (Alignment == 2)
                r.Left = r.Right - lineWidth;
            Canvas.Font.Style = lineStyle;
            DrawRulesLine(r, line, false);
        }
        if (h == 0) {
            unsigned ignored;
            measure("O", lineStyle, ignored);
        }
        LinePos.Top -= RoundSaturated(h * LineSpacing);
        if (word.empty() || PastTheEnd(measureOnly))
            break;
        line = word;
        lineWidth = wordWidth;
        lineStyle = afterLine;
        afterLine = afterWord;
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
            std::string code(1, i + 1 < line.size() ? line[++i] : '\0');
            // Digit symbols one after the other ("%1%0") are one number: {10}.
            if (IsDigit(code[0]))
                while (i + 2 < line.size() && line[i + 1] == '%' && IsDigit(line[i + 2])) {
                    code += line[i + 2];
                    i += 2;
                }
            const TRect area{x, rect.Top, rect.Right, rect.Bottom};
            // A symbol that starts right of the box is not seen: only its width counts.
            x += DrawSymbolsSmooth(Canvas, area, code, 0, measureOnly || x >= Box.Right).cx;
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
