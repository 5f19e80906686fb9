#include "data/CardText.h"

std::string ColorCodeFromCost(std::string_view cost)
{
    if (cost.empty())
        return "L";
    std::string code;
    for (char c : {'W', 'B', 'U', 'G', 'R'})
        if (cost.find(c) != std::string_view::npos)
            code += c;
    if (code.size() > 1)
        return "Z";
    if (code.empty())
        return "A";
    return code;
}

std::pair<std::string, std::string> SplitAtMarker(std::string_view text, std::string_view marker)
{
    const size_t p = marker.empty() ? std::string_view::npos : text.find(marker);
    if (p == std::string_view::npos)
        return {std::string(text), std::string()};
    return {std::string(text.substr(0, p)), std::string(text.substr(p + marker.size()))};
}

std::string RemoveMarkedSpans(std::string_view text, std::string_view opening, std::string_view closing)
{
    if (opening.empty())
        return std::string(text); // a pass can never change the text
    // One pass over the text, as if the first opening marker and what follows it up to
    // and including the next closing marker were removed again and again: what has
    // been kept holds no opening marker, but one may form across the join with the
    // rest, so the join is looked at before the rest.
    std::string kept;
    kept.reserve(text.size());
    std::string_view rest = text;
    const size_t k = opening.size();
    bool closingGone = false;
    for (;;) {
        size_t joined = 0; // characters of the marker that lie in `kept`
        for (size_t j = std::min(k - 1, kept.size()); j >= 1; --j) {
            if (std::string_view(kept).substr(kept.size() - j) == opening.substr(0, j)
                && rest.substr(0, k - j) == opening.substr(j)) {
                joined = j;
                break;
            }
        }
        if (joined > 0) {
            kept.resize(kept.size() - joined);
            rest.remove_prefix(k - joined);
        } else {
            const size_t p = rest.find(opening);
            if (p == std::string_view::npos) {
                kept += rest;
                return kept;
            }
            kept += rest.substr(0, p);
            rest.remove_prefix(p + k);
        }
        // `rest` only ever loses its front: once it holds no closing marker, no later
        // rest can, and looking again would make a run of unclosed openings quadratic.
        if (!closing.empty() && !closingGone) {
            const size_t q = rest.find(closing);
            if (q != std::string_view::npos)
                rest.remove_prefix(q + closing.size());
            else
                closingGone = true;
        }
    }
}

std::string TextBetweenMarkers(std::string_view text, std::string_view opening, std::string_view closing)
{
    std::string_view result = text;
    if (!opening.empty()) {
        const size_t p = result.find(opening);
        if (p != std::string_view::npos)
            result = result.substr(p + opening.size());
    }
    if (!closing.empty()) {
        const size_t q = result.find(closing);
        if (q == std::string_view::npos)
            return std::string();
        result = result.substr(0, q);
    }
    return std::string(result);
}

int VersionToNumber(std::string_view version)
{
    if (version.empty())
        return 0;
    return static_cast<unsigned char>(version[0]) % 8;
}

std::string NumberToVersion(std::string_view text)
{
    if (text.empty())
        return std::string();
    return std::string(1, char(64 + static_cast<unsigned char>(text[0]) % 8));
}
