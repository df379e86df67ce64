#include "platform/gtk/dialog_units.h"

#include <pango/pango.h>

#include <cstdint>

namespace platform::gtk {
namespace {

constexpr const char* kAverageLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

int MulDiv(int number, int numerator, int denominator) {
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const std::int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

}  // namespace

BaseUnits BaseUnitsFromMetrics(int letters_width, int line_height) {
  BaseUnits units;
  if (letters_width > 0) units.x = (letters_width / 26 + 1) / 2;
  if (line_height > 0) units.y = line_height;
  return units;
}

BaseUnits MeasureBaseUnits(PangoContext* context, const char* font) {
  if (context == nullptr) return BaseUnits{};
  PangoLayout* layout = pango_layout_new(context);
  PangoFontDescription* description = pango_font_description_from_string(font);
  pango_layout_set_font_description(layout, description);
  pango_layout_set_text(layout, kAverageLetters, -1);
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  pango_font_description_free(description);
  g_object_unref(layout);
  return BaseUnitsFromMetrics(width, height);
}

PixelBox DialogUnitsToPixelBox(const platform::dialog::DialogUnitRect& rect, BaseUnits units) {
  const int left = MulDiv(rect.x, units.x, 4);
  const int top = MulDiv(rect.y, units.y, 8);
  const int right = MulDiv(rect.x + rect.cx, units.x, 4);
  const int bottom = MulDiv(rect.y + rect.cy, units.y, 8);
  return PixelBox{.x = left, .y = top, .width = right - left, .height = bottom - top};
}

}  // namespace platform::gtk
