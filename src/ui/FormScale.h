#pragma once
// The windows follow the desktop's font size. Every form is designed in pixels for
// its 11-pixel font ("MS Sans Serif" at 8 points), which stands for the desktop's
// standard 9-point text; a desktop with larger text scales the forms by the same
// ratio: the font, every control's place and size, the grids' columns, the card
// picture. The scale is taken once at program start (tests set it themselves).
#include <QFont>
#include <QRect>

#include <vector>

class QWidget;

// The form scale for a desktop whose standard font is desktopFont: its size in
// points over 9, in steps of 1/8, never below 1 (the designed size) nor above 4.
double DesktopFontScale(const QFont& desktopFont);

// The scale the forms are built at (1 unless set).
double FormScale();
void SetFormScale(double scale);
// Takes the scale from the application's font, the desktop's standard font before
// the program sets any of its own.
void InitFormScale();

// A designed length in pixels at the form scale.
int Scaled(int designPixels);
// A designed rectangle at the form scale, edge by edge, so that controls designed
// side by side stay side by side.
QRect Scaled(const QRect& design);
// Designed lengths laid end to end (a grid's columns) at the form scale, edge by
// edge, so that together they span the scaled whole.
std::vector<int> Scaled(const std::vector<int>& designRuns);
// A length in pixels at the form scale back in designed pixels.
int Unscaled(int pixels);

// The font of every form: "MS Sans Serif" at 11 pixels times the form scale. Where
// the system lacks it, a plain sans serif with Cyrillic letters stands in.
QFont FormFont();

// Brings a form built with designed pixels to the form scale, once, after its
// controls were created: the places and sizes of controls placed by hand, the size
// bounds of every control, the margins and spacing of layouts, the icon sizes. A
// control marked by MarkScaled was sized for the scale already and is only moved.
void ScaleForm(QWidget* form);
void MarkScaled(QWidget* control);
