#pragma once
// Dialog units to pixels. A template position is in dialog units: a quarter of the font's average
// character width across, an eighth of its height down. The base units come from measuring the
// template font (8-point sans) the way the window system does: the average width of the 52 Latin
// letters and the line height.
#include "platform/dialog/resource_module.h"

typedef struct _PangoContext PangoContext;

namespace platform::gtk {

struct BaseUnits {
  int x = 6;   // pixels per 4 horizontal dialog units
  int y = 13;  // pixels per 8 vertical dialog units
  friend bool operator==(const BaseUnits&, const BaseUnits&) = default;
};

struct PixelBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

// The average width of "A".."Z" "a".."z" and the line height, both in pixels, as base units
// ((width / 26 + 1) / 2 across, the height down).
BaseUnits BaseUnitsFromMetrics(int letters_width, int line_height);

// Measures `font` (a Pango description such as "Sans 8") in the given context.
BaseUnits MeasureBaseUnits(PangoContext* context, const char* font);

// Rounds like the window system's MulDiv: to the nearest pixel, halves away from zero.
PixelBox DialogUnitsToPixelBox(const platform::dialog::DialogUnitRect& rect, BaseUnits units);

}  // namespace platform::gtk
