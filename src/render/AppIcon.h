#pragma once
// The application icon: two cards, the front one with a lark flying over its art.
// One description drawn two ways, so that the SVG of the icon theme, its PNG sizes
// and the window's icon are the same picture.
#include <QImage>

#include <string>

// The icon drawn at `size` x `size` pixels on a transparent background.
QImage AppIconImage(int size);

// The icon as an SVG document (a 256 x 256 view box).
std::string AppIconSvg();

// Writes the icon theme files below `dir`: hicolor/scalable/apps/<name>.svg and
// hicolor/<n>x<n>/apps/<name>.png for every size of AppIconSizes. Throws on failure.
void WriteAppIconTheme(const std::string& dir, const std::string& name);

// The PNG sizes of the icon theme.
inline constexpr int AppIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};
