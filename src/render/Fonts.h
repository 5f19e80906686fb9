#pragma once
// The fonts of the card face.
//
// The symbol font "ZizorUvaride" (the mana symbols, the program's own font) is
// delivered beside the program as fonts/ZizorUvaride.ttf and registered with Qt at
// start. The face asks for its text fonts by the names "Georgia" and "Palatino
// Linotype"; where the system has neither, Qt is told to use the metric-alike free
// fonts "PT Serif" and "P052" in their place.
#include <string>

// The family name of the symbol font.
inline constexpr const char* kSymbolFontFamily = "ZizorUvaride";
// Its file below the program's folder.
inline constexpr const char* kSymbolFontFile = "fonts/ZizorUvaride.ttf";

// Registers the symbol font found below appDir (the program's folder, a native
// path with or without a trailing separator) and sets up the substitutes of the
// text fonts. Needs a QGuiApplication. Calling it again does no harm. Returns true
// when the symbol font is usable afterwards (registered now or before); the
// substitutes are set up either way.
bool RegisterProgramFonts(const std::string& appDir);
