#include <X11/Xlib.h>

#include "platform/gtk/xdrive/x_driver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace platform::gtk::xdrive {
namespace {

constexpr long kXdndVersion = 5;  // the protocol version we speak
constexpr unsigned long kCurrentTime = CurrentTime;

struct XdndAtoms {
  Atom aware, selection, enter, position, status, drop, finished, leave, action_copy, uri_list,
      targets;
  explicit XdndAtoms(Display* d)
      : aware(XInternAtom(d, "XdndAware", False)),
        selection(XInternAtom(d, "XdndSelection", False)),
        enter(XInternAtom(d, "XdndEnter", False)),
        position(XInternAtom(d, "XdndPosition", False)),
        status(XInternAtom(d, "XdndStatus", False)),
        drop(XInternAtom(d, "XdndDrop", False)),
        finished(XInternAtom(d, "XdndFinished", False)),
        leave(XInternAtom(d, "XdndLeave", False)),
        action_copy(XInternAtom(d, "XdndActionCopy", False)),
        uri_list(XInternAtom(d, "text/uri-list", False)),
        targets(XInternAtom(d, "TARGETS", False)) {}
};

void SendClientMessage(Display* d, Window to, Atom type, long l0, long l1, long l2, long l3, long l4) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.display = d;
  event.xclient.window = to;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = l0;
  event.xclient.data.l[1] = l1;
  event.xclient.data.l[2] = l2;
  event.xclient.data.l[3] = l3;
  event.xclient.data.l[4] = l4;
  XSendEvent(d, to, False, NoEventMask, &event);
  XFlush(d);
}

// The XDND version a window announces, 0 when it takes no drops.
long XdndVersionOf(Display* d, Window window, Atom aware) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  long version = 0;
  if (XGetWindowProperty(d, window, aware, 0, 1, False, AnyPropertyType, &type, &format, &count,
                         &remaining, &data) == Success && data != nullptr) {
    if (count == 1 && format == 32) version = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    XFree(data);
  }
  return version;
}

bool WaitForEvent(Display* d, std::chrono::steady_clock::time_point deadline) {
  while (XPending(d) == 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd fd{ConnectionNumber(d), POLLIN, 0};
    poll(&fd, 1, static_cast<int>(std::min<long long>(left.count(), 50)));
  }
  return true;
}

std::string WindowTitle(Display* d, Window window) {
  static Atom net_wm_name = XInternAtom(d, "_NET_WM_NAME", False);
  static Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, window, net_wm_name, 0, 1024, False, utf8, &type, &format, &count,
                         &remaining, &data) == Success && data != nullptr) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    return title;
  }
  char* name = nullptr;
  if (XFetchName(d, window, &name) && name != nullptr) {
    title = name;
    XFree(name);
  }
  return title;
}

}  // namespace

std::string FileUriFromPath(const std::string& path) {
  static const char* kHex = "0123456789ABCDEF";
  std::string uri = "file://";
  for (const char c : path) {
    const auto u = static_cast<unsigned char>(c);
    const bool unreserved = std::isalnum(u) || std::strchr("/-._~", c) != nullptr;
    if (unreserved && u < 0x80) {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[u >> 4];
      uri += kHex[u & 0xF];
    }
  }
  return uri;
}

XDriver::XDriver(const char* display) : display_(XOpenDisplay(display)) {}

XDriver::~XDriver() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

bool XDriver::Click(Window window, int x, int y) {
  if (display_ == nullptr) return false;
  Window child = 0;
  int root_x = 0;
  int root_y = 0;
  if (!XTranslateCoordinates(display_, window, DefaultRootWindow(display_), x, y, &root_x, &root_y, &child)) {
    return false;
  }
  XTestFakeMotionEvent(display_, -1, root_x, root_y, CurrentTime);
  XSync(display_, False);
  XTestFakeButtonEvent(display_, 1, True, CurrentTime);
  XSync(display_, False);
  XTestFakeButtonEvent(display_, 1, False, CurrentTime);
  XSync(display_, False);
  return true;
}

bool XDriver::Key(const char* keysym_name) {
  if (display_ == nullptr) return false;
  const KeySym keysym = XStringToKeysym(keysym_name);
  const KeyCode code = keysym == NoSymbol ? 0 : XKeysymToKeycode(display_, keysym);
  if (code == 0) return false;
  XTestFakeKeyEvent(display_, code, True, CurrentTime);
  XSync(display_, False);
  XTestFakeKeyEvent(display_, code, False, CurrentTime);
  XSync(display_, False);
  return true;
}

bool XDriver::DropUris(Window target, int x, int y, const std::vector<std::string>& uris,
                       std::chrono::milliseconds timeout, std::string* error) {
  auto fail = [&](const char* why) {
    if (error) *error = why;
    return false;
  };
  if (display_ == nullptr) return fail("no display");
  const XdndAtoms atoms(display_);
  const long their_version = XdndVersionOf(display_, target, atoms.aware);
  if (their_version < 3) return fail("the window takes no drops (no XdndAware)");
  const long version = std::min(their_version, kXdndVersion);

  std::string list;
  for (const auto& uri : uris) list += uri + "\r\n";

  const Window root = DefaultRootWindow(display_);
  const Window source = XCreateSimpleWindow(display_, root, 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(display_, atoms.selection, source, kCurrentTime);
  Window child = 0;
  int root_x = 0;
  int root_y = 0;
  XTranslateCoordinates(display_, target, root, x, y, &root_x, &root_y, &child);
  // The pointer moves along, as it would under a person's hand.
  XTestFakeMotionEvent(display_, -1, root_x, root_y, CurrentTime);

  SendClientMessage(display_, target, atoms.enter, static_cast<long>(source), version << 24,
                    static_cast<long>(atoms.uri_list), None, None);
  SendClientMessage(display_, target, atoms.position, static_cast<long>(source), 0,
                    (static_cast<long>(root_x) << 16) | root_y, kCurrentTime, static_cast<long>(atoms.action_copy));

  const auto deadline = std::chrono::steady_clock::now() + timeout;
  bool dropped = false;
  bool finished = false;
  bool accepted = false;
  while (!finished && WaitForEvent(display_, deadline)) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == ClientMessage && event.xclient.message_type == atoms.status && !dropped) {
      accepted = (event.xclient.data.l[1] & 1) != 0;
      if (!accepted) break;
      SendClientMessage(display_, target, atoms.drop, static_cast<long>(source), 0, kCurrentTime, 0, 0);
      dropped = true;
    } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
      finished = true;
      accepted = version < 5 || (event.xclient.data.l[1] & 1) != 0;
    } else if (event.type == SelectionRequest) {
      const XSelectionRequestEvent& request = event.xselectionrequest;
      XEvent reply{};
      reply.xselection.type = SelectionNotify;
      reply.xselection.display = display_;
      reply.xselection.requestor = request.requestor;
      reply.xselection.selection = request.selection;
      reply.xselection.target = request.target;
      reply.xselection.time = request.time;
      reply.xselection.property = request.property;
      if (request.target == atoms.uri_list) {
        XChangeProperty(display_, request.requestor, request.property, atoms.uri_list, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(list.data()), static_cast<int>(list.size()));
      } else if (request.target == atoms.targets) {
        const Atom offered[] = {atoms.targets, atoms.uri_list};
        XChangeProperty(display_, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(offered), 2);
      } else {
        reply.xselection.property = None;
      }
      XSendEvent(display_, request.requestor, False, NoEventMask, &reply);
      XFlush(display_);
    }
  }
  if (!dropped) {
    SendClientMessage(display_, target, atoms.leave, static_cast<long>(source), 0, 0, 0, 0);
  }
  XDestroyWindow(display_, source);
  XSync(display_, False);
  if (!dropped) return fail(accepted ? "no answer to the drag" : "the window refused the drag");
  if (!finished) return fail("the drop was not finished in time");
  if (!accepted) return fail("the window did not take the drop");
  return true;
}

bool XDriver::Capture(Window window, Pixels* out) {
  if (display_ == nullptr) return false;
  if (window == 0) window = DefaultRootWindow(display_);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display_, window, &attributes)) return false;
  XImage* image = XGetImage(display_, window, 0, 0, static_cast<unsigned>(attributes.width),
                            static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (image == nullptr) return false;
  auto channel = [](unsigned long pixel, unsigned long mask) -> std::uint8_t {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const unsigned long max = mask >> shift;
    return static_cast<std::uint8_t>(((pixel & mask) >> shift) * 255 / max);
  };
  out->width = attributes.width;
  out->height = attributes.height;
  out->rgb.assign(static_cast<size_t>(out->width) * out->height * 3, 0);
  for (int y = 0; y < out->height; ++y) {
    for (int x = 0; x < out->width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      std::uint8_t* p = &out->rgb[(static_cast<size_t>(y) * out->width + x) * 3];
      p[0] = channel(pixel, image->red_mask);
      p[1] = channel(pixel, image->green_mask);
      p[2] = channel(pixel, image->blue_mask);
    }
  }
  XDestroyImage(image);
  return true;
}

bool XDriver::WritePng(const Pixels& pixels, const std::string& path) {
  if (pixels.width <= 0 || pixels.height <= 0) return false;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_data(pixels.rgb.data(), GDK_COLORSPACE_RGB, FALSE, 8,
                                               pixels.width, pixels.height, pixels.width * 3,
                                               nullptr, nullptr);
  const bool saved = gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr) != FALSE;
  g_object_unref(pixbuf);
  return saved;
}

std::vector<Window> XDriver::FindWindowsByTitle(const std::string& title) {
  std::vector<Window> found;
  if (display_ == nullptr) return found;
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return found;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display_, children[i], &attributes) && attributes.map_state == IsViewable &&
        WindowTitle(display_, children[i]) == title) {
      found.push_back(children[i]);
    }
  }
  if (children) XFree(children);
  return found;
}

}  // namespace platform::gtk::xdrive
