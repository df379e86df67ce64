#pragma once
// The resource module's pictures as GdkPixbufs: bitmaps for bitmap statics, icon groups for the
// window icon and icon statics. The caller owns the returned reference (g_object_unref).
#include <gdk-pixbuf/gdk-pixbuf.h>

#include "platform/dialog/resource_module.h"

namespace platform::gtk {

// Null when the resource is missing or cannot be decoded.
GdkPixbuf* PixbufFromBitmap(WORD bitmap_id);
// The image of the group closest to `size` pixels (ties: more colours), scaled to `size` when it
// differs.
GdkPixbuf* PixbufFromIcon(WORD icon_id, int size);
// Every image of the group at 32 bits per pixel (PNG or DIB), for the window manager's icon list.
GList* PixbufListFromIcon(WORD icon_id);

}  // namespace platform::gtk
