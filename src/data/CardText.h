#pragma once
// Card vocabulary shared by the data module, the renderer and the deck files: the
// colour code of a mana cost, the eight known set codes, the art variant numbers,
// and three small text functions on Windows-1251 text (positions count from 1,
// markers match case-sensitively, an occurrence is always the first one).
#include <array>
#include <string>
#include <string_view>
#include <utility>

// The sets: Sets.h.
#include "data/Sets.h"

// Colour code of a mana cost: "L" for no cost, "W" "B" "U" "G" "R" for one colour
// (capital letters only), "Z" for two or more colours, "A" for a cost without colour.
std::string ColorCodeFromCost(std::string_view cost);

// (before, after) around the first occurrence of `marker`; (text, "") when the
// marker does not occur (or is empty).
std::pair<std::string, std::string> SplitAtMarker(std::string_view text, std::string_view marker);

// Removes every span from an opening marker to the next closing marker, markers
// included, repeating until nothing changes. An opening marker with no closing
// marker behind it is removed alone; with an empty closing marker only the opening
// markers go. An empty opening marker changes nothing.
std::string RemoveMarkedSpans(std::string_view text, std::string_view opening, std::string_view closing);

// The text behind the first opening marker (the whole text when the marker does not
// occur or is empty), cut before the first closing marker in that rest; empty when
// a non-empty closing marker does not occur in the rest.
std::string TextBetweenMarkers(std::string_view text, std::string_view opening, std::string_view closing);

// Art variants: a letter "A".."G" is shown and written as its character code modulo 8
// ("A" 1, "G" 7); 0 for a card without variant.
int VersionToNumber(std::string_view version);
// The variant letter for a digit or letter as read from a file or typed: the
// character 64 + (code of the first character modulo 8), so "3" and "C" both give
// "C". Empty for an empty text.
std::string NumberToVersion(std::string_view text);
