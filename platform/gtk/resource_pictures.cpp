#include "platform/gtk/resource_pictures.h"

#include <cstdlib>

#include "platform/gtk/dib_decoder.h"

namespace platform::gtk {
namespace {

GdkPixbuf* PixbufFromRgba(const RgbaImage& image) {
  GBytes* bytes = g_bytes_new(image.rgba.data(), image.rgba.size());
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_bytes(bytes, GDK_COLORSPACE_RGB, TRUE, 8, image.width,
                                                image.height, image.width * 4);
  g_bytes_unref(bytes);
  return pixbuf;
}

GdkPixbuf* PixbufFromPng(const std::vector<std::uint8_t>& png) {
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
  if (loader == nullptr) return nullptr;
  GdkPixbuf* pixbuf = nullptr;
  if (gdk_pixbuf_loader_write(loader, png.data(), png.size(), nullptr) &&
      gdk_pixbuf_loader_close(loader, nullptr)) {
    pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
    if (pixbuf) g_object_ref(pixbuf);
  } else {
    gdk_pixbuf_loader_close(loader, nullptr);
  }
  g_object_unref(loader);
  return pixbuf;
}

GdkPixbuf* PixbufFromIconImage(const platform::dialog::IconImage& image) {
  if (image.png) return PixbufFromPng(image.data);
  auto decoded = DecodeDib(image.data, /*icon_image=*/true);
  return decoded ? PixbufFromRgba(*decoded) : nullptr;
}

}  // namespace

GdkPixbuf* PixbufFromBitmap(WORD bitmap_id) {
  const auto* bitmap = platform::dialog::ResourceModule::Get().FindBitmap(bitmap_id);
  if (bitmap == nullptr) return nullptr;
  auto decoded = DecodeDib(bitmap->dib, /*icon_image=*/false);
  return decoded ? PixbufFromRgba(*decoded) : nullptr;
}

GdkPixbuf* PixbufFromIcon(WORD icon_id, int size) {
  const auto* group = platform::dialog::ResourceModule::Get().FindIcon(icon_id);
  if (group == nullptr || group->images.empty()) return nullptr;
  const platform::dialog::IconImage* best = nullptr;
  for (const auto& image : group->images) {
    if (best == nullptr) {
      best = &image;
      continue;
    }
    const int distance = std::abs(image.width - size);
    const int best_distance = std::abs(best->width - size);
    if (distance < best_distance ||
        (distance == best_distance && image.bits_per_pixel > best->bits_per_pixel)) {
      best = &image;
    }
  }
  GdkPixbuf* pixbuf = PixbufFromIconImage(*best);
  if (pixbuf != nullptr && (gdk_pixbuf_get_width(pixbuf) != size || gdk_pixbuf_get_height(pixbuf) != size)) {
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(pixbuf, size, size, GDK_INTERP_BILINEAR);
    g_object_unref(pixbuf);
    pixbuf = scaled;
  }
  return pixbuf;
}

GList* PixbufListFromIcon(WORD icon_id) {
  const auto* group = platform::dialog::ResourceModule::Get().FindIcon(icon_id);
  if (group == nullptr) return nullptr;
  GList* list = nullptr;
  for (const auto& image : group->images) {
    if (image.bits_per_pixel != 32) continue;
    if (GdkPixbuf* pixbuf = PixbufFromIconImage(image)) list = g_list_append(list, pixbuf);
  }
  return list;
}

}  // namespace platform::gtk
