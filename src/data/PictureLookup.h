#pragma once
// Card pictures: the frame picture of a card's colour, the encyclopedia scan of a card,
// and the art picture of a card from either art collection (the program's own small
// pictures below ImagesDir, or the encyclopedia scans below MainDir), cut out of a
// full card scan when needed, turned for split cards and lifted by a fixed tone curve.
//
// Paths are native file-system text (UTF-8, "/" between components) built from the
// folders of Settings.h; card and art names are Windows-1251 and are converted with
// Win1251ToUtf8 where they become part of a path. Nothing is cached: every call looks
// at the file system again.
#include <QImage>

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

// The frame picture for a colour code and a card name: BaseDir + "data/" + code +
// ".jpg", where the name "?" selects the card back "S" and the basic land names
// (any letter case) append their colour letter to the code ("L" + Plains gives "LW").
// Empty when the code is empty. The file may lie in a pack file "data".
std::string FramePicturePath(std::string_view colorCode, std::string_view name);

// The encyclopedia scan for an id: MainDir + "/Images/largejpg/" + the first two
// digits + "xxx/" + the id padded to five digits + ".jpg" when that file exists,
// otherwise the same folder + the last four digits + ".jpg".
std::string LargePicturePath(int32_t id);

// Finds and loads the art picture of a card into `picture`, replacing what it held.
// `artName` is the name the picture is looked for by (Windows-1251), `fullName` the
// whole name of a split card (both halves joined by "/") or empty. On return the
// picture is a 24-bit bitmap with the tone curve applied, or null when no file was
// found, the setting ArtImageType names no collection, or the file could not be
// decoded. A file that exists but cannot be opened raises the stream's error.
// With ArtImageType 1, a card without an encyclopedia scan takes the program's own
// art picture instead, and EncyclopediaArtFallbacks counts it.
void LoadArtPicture(std::string_view set, std::string_view artName, std::string_view fullName, int32_t id,
                    QImage& picture);
extern std::atomic<int> EncyclopediaArtFallbacks;

// The characters of a text that are safe in a file name everywhere: "-", ".", digits,
// Latin letters and "_"; everything else is dropped.
std::string SafeFileName(std::string_view text);

// The fixed tone curve of art pictures: lifts the dark tones, keeps 0 and 255.
uint8_t ToneCurve(uint8_t b);
