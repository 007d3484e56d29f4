// qdhost: opens a drawing (or starts one from the template), and writes it back
// as DXF with its picture.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "headless/dxf/dxf.h"
#include "headless/render/font.h"
#include "headless/render/svg.h"
#include "host/dbdatabase.h"
#include "platform/codepage.h"

namespace {
void usage() {
  std::fputs(
      "usage: qdhost [--data DIR] [--open IN.dxf] [--save OUT.dxf] [--svg OUT.svg]\n"
      "  Without --open the drawing starts from the template in the data folder.\n",
      stderr);
}
}  // namespace

int main(int argc, char** argv) {
  std::string data = "data", open, save, svg;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    bool ok = true;
    if (a == "--data") ok = value(data);
    else if (a == "--open") ok = value(open);
    else if (a == "--save") ok = value(save);
    else if (a == "--svg") ok = value(svg);
    else if (a == "--help" || a == "-h") {
      usage();
      return 0;
    } else ok = false;
    if (!ok) {
      usage();
      return 2;
    }
  }
  qd::font::setFontFolder(data + "/fonts");
  const std::string source = open.empty() ? data + "/template.dxf" : open;
  // A missing template starts the drawing from the built-in defaults.
  const bool fromDefaults = open.empty() && !std::ifstream(source);
  AcDbDatabase db(fromDefaults);
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  std::u16string error;
  if (!fromDefaults && qd::dxf::readFile(&db, source, error) != Acad::eOk) {
    std::fprintf(stderr, "qdhost: %s\n", qd::text::toUtf8(error).c_str());
    return 1;
  }
  if (!save.empty() && qd::dxf::writeFile(&db, save, error) != Acad::eOk) {
    std::fprintf(stderr, "qdhost: %s\n", qd::text::toUtf8(error).c_str());
    return 1;
  }
  if (!svg.empty()) {
    std::ofstream f(svg, std::ios::binary);
    f << qd::render::modelSpaceSvg(&db);
    if (!f) {
      std::fprintf(stderr, "qdhost: cannot write %s\n", svg.c_str());
      return 1;
    }
  }
  return 0;
}
