#pragma once
// The text box of a card face: the rules text followed by the flavour text, in
// "Georgia" with digit runs in "Palatino Linotype", mana symbols inline, parentheses
// and flavour in italics, attribution lines ("--") right-aligned, shrunk one logical
// unit at a time until everything fits, then centred vertically.
//
// Markup of the stored texts: line breaks separate paragraphs; "%" + a character is a
// mana symbol ("%TAP" is the long tap code); "~this~" is the card's own name;
// "#(" ... ")#" is reminder text; "\" ends a chunk that is not broken at its blanks;
// "--" in flavour text starts an attribution line. Flavour paragraphs carry the
// internal marker "&" in front.
//
// Works in the metric mapping (0.1 mm, y upwards): moving down subtracts from y.
#include "render/Canvas.h"

#include <map>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

// The stored rules text rewritten for display: "%TAP" becomes "%T", "~this~" the
// card's own name; reminder text keeps its parentheses (the "#" markers go) or is
// removed with its markers.
std::string PrepareRulesText(std::string_view rules, std::string_view selfName, bool showReminders);

// The paragraphs of a rules and a flavour text, in drawing order: trimmed, non-empty,
// flavour paragraphs prefixed with "&" and split before every "--".
std::vector<std::string> RulesParagraphs(std::string_view rules, std::string_view flavour);

// Lays out and draws both texts in box. Expects the canvas in the metric mapping with
// the starting character height set; leaves the font at the fitted height.
void LayoutRulesText(TCanvas& canvas, const TRect& box, std::string_view rules, std::string_view flavour);

// Every layout tries the heights one by one (for comparison with the search).
inline bool RulesTextStepByStep = false;

// The layout state of one LayoutRulesText call and its steps, open for tests.
class TRulesLayout {
public:
    TRulesLayout(TCanvas& canvas, const TRect& box) : Canvas(canvas), Box(box), LinePos(box) {}

    // Runs the measuring passes and the drawing pass over the paragraphs: the text is
    // drawn at the largest height, in whole units from the canvas's current one down,
    // at which it fits the box.
    void Run(const std::vector<std::string>& paragraphs);
    // One measuring pass at a height; true when the text fits the box.
    bool FitsAt(const std::vector<std::string>& paragraphs, int32_t height);
    // Breaks one paragraph into lines at the line position, measuring or drawing;
    // returns (the box width, or the width of a wider first chunk or single word, and
    // the line height).
    TSize LayoutParagraph(const std::string& paragraph, bool measureOnly);
    // Measures or draws one line at rect's left and top; rect's right and bottom bound
    // the smoothing area of inline symbols. Returns (width, line height).
    TSize DrawRulesLine(const TRect& rect, std::string_view line, bool measureOnly);

    TCanvas& Canvas;
    TRect Box;
    TRect LinePos;
    int Alignment = 0;
    bool Fitted = false;
    // Height at which the drawing pass ran (after Run).
    int32_t FittedHeight = 0;
    // Measuring passes Run made.
    int Measures = 0;
    // Try the heights one by one from the top instead of searching them by halving
    // (the same result; for comparison).
    bool StepByStep = RulesTextStepByStep;
    static constexpr double LineSpacing = 1.0;
    static constexpr double ParagraphGap = 0.4;

private:
    void Pass(const std::vector<std::string>& paragraphs, bool measureOnly);
    // Whether the line position is so far below the box that the pass can stop.
    bool PastTheEnd(bool measureOnly) const;
    // The measuring passes of one Run: fits, and where the text ended, by height.
    std::map<int32_t, std::pair<bool, TRect>> Measured;
    // Widths of the words at the height being laid out, by style and text, and the
    // line height they came with.
    std::map<std::pair<unsigned, std::string>, int32_t> Widths;
    int32_t LineHeight = 0;
    void FlushRun(std::string& run, int32_t& x, int32_t top, bool digits, bool measureOnly);
};
