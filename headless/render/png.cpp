#include "headless/render/png.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <memory>

namespace qd::render {
namespace {

struct GObjectFree {
  void operator()(void* p) const { g_object_unref(p); }
};
struct SurfaceFree {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextFree {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

bool svgToPng(const std::string& svg, int width, std::string& png, std::string& error) {
  GError* gerror = nullptr;
  std::unique_ptr<RsvgHandle, GObjectFree> handle(
      rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &gerror));
  if (!handle) {
    error = gerror ? gerror->message : "the picture cannot be read";
    if (gerror) g_error_free(gerror);
    return false;
  }
  gdouble w = 0, h = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &w, &h) || !(w > 0) || !(h > 0)) w = h = 1000;
  const int height = std::max(1, static_cast<int>(width * h / w + 0.5));
  std::unique_ptr<cairo_surface_t, SurfaceFree> surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  std::unique_ptr<cairo_t, ContextFree> cr(cairo_create(surface.get()));
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  cairo_paint(cr.get());
  const RsvgRectangle viewport{0, 0, static_cast<double>(width), static_cast<double>(height)};
  if (!rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &gerror)) {
    error = gerror ? gerror->message : "the picture cannot be rendered";
    if (gerror) g_error_free(gerror);
    return false;
  }
  png.clear();
  if (cairo_surface_write_to_png_stream(surface.get(), appendBytes, &png) != CAIRO_STATUS_SUCCESS) {
    error = "the PNG cannot be encoded";
    return false;
  }
  return true;
}

}  // namespace qd::render
