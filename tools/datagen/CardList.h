#pragma once
// The sample cards whose art the generator draws, read from the card base's JSON
// source (an array of objects with the card's fields as UTF-8 strings).
#include "Art.h"

#include <QString>

#include <string>
#include <vector>

struct TArtJob {
    std::string Set;      // folder below images/
    std::string FileName; // without ".jpg", UTF-8
    TArtCard Card;
};

// One job per card, two for a split card (one per half, named by the half). The
// file name is the art name the program looks up: the English name, with " (n)" for
// a card with a variant (n = 1 for "A"), colons and double quotes removed. Cards
// with the same file name in one set are listed once. Raises Exception when the file
// cannot be read or is not such an array.
std::vector<TArtJob> ReadArtJobs(const QString& jsonPath);

// The art name's file name as the program looks it up.
std::string ArtFileName(const std::string& name, const std::string& version);
