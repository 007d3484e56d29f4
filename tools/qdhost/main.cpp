// qdhost: the headless drafting host. Opens a drawing (or starts one from the template),
// loads the application modules, runs session scripts or a person's typing at the
// command line, and writes the drawing as DXF with its picture and the transcript.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "headless/ads/session.h"
#include "headless/commands/commands.h"
#include "headless/dxf/dxf.h"
#include "headless/modules/modules.h"
#include "headless/render/font.h"
#include "headless/render/png.h"
#include "headless/render/svg.h"
#include "headless/ui/console.h"
#include "headless/ui/dialogs.h"
#include "headless/ui/picking.h"
#include "headless/ui/runner.h"
#include "host/adslib.h"
#include "host/dbdatabase.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "siblings/siblings.h"

namespace {

void usage() {
  std::fputs(
      "usage: qdhost [options]\n"
      "  --data DIR          data folder (default: the shipped data/)\n"
      "  --open IN.dxf       drawing to open (default: a new drawing from the template)\n"
      "  --module NAME       module to load, by name or path (repeatable; default: every\n"
      "                      module in the module folder)\n"
      "  --modules DIR       module folder\n"
      "  --no-modules        load no module\n"
      "  --script FILE       session script to run (repeatable, in order)\n"
      "  --interactive       read the command line from the terminal after the scripts\n"
      "  --save OUT.dxf      write the drawing\n"
      "  --svg OUT.svg       write its picture\n"
      "  --png OUT.png       write its picture as PNG (2000 pixels wide)\n"
      "  --transcript FILE   write the command-line transcript\n"
      "  --quiet             do not echo the transcript\n"
      "  --support DIR       another folder where files are searched for (repeatable)\n"
      "  --dialogs DIR       write a picture (HTML) of every dialog shown into DIR\n"
      "  --env NAME=VALUE    set a host environment entry (TVDAT, TVDWG, TORVEL_DIR, TVC,\n"
      "                      TVXLS ...); NAME= leaves it unset\n"
      "Exit status: 0, 1 when a file could not be read or written, 4 when a script's\n"
      "check failed or a script stopped on an event that did not fit.\n",
      stderr);
}

struct Options {
  std::string data = QD_DATA_DIR_DEFAULT, open, save, svg, png, transcript, moduleDir = QD_MODULE_DIR_DEFAULT;
  std::vector<std::string> modules, scripts, support, env;
  std::string dialogs;
  bool noModules = false, interactive = false, quiet = false;
};

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    bool ok = true;
    if (a == "--data") ok = value(o.data);
    else if (a == "--open") ok = value(o.open);
    else if (a == "--save") ok = value(o.save);
    else if (a == "--svg") ok = value(o.svg);
    else if (a == "--png") ok = value(o.png);
    else if (a == "--transcript") ok = value(o.transcript);
    else if (a == "--modules") ok = value(o.moduleDir);
    else if (a == "--module") ok = value(v), o.modules.push_back(v);
    else if (a == "--script") ok = value(v), o.scripts.push_back(v);
    else if (a == "--support") ok = value(v), o.support.push_back(v);
    else if (a == "--dialogs") ok = value(o.dialogs);
    else if (a == "--env") ok = value(v) && v.find('=') != std::string::npos, o.env.push_back(v);
    else if (a == "--no-modules") o.noModules = true;
    else if (a == "--interactive") o.interactive = true;
    else if (a == "--quiet") o.quiet = true;
    else ok = false;
    if (!ok) return false;
  }
  return true;
}

// Session scripts are typed by people; anything far larger is not one.
constexpr size_t kScriptLimit = size_t{64} << 20;

bool readText(const std::string& path, std::string& out, std::string& error) {
  return qd::files::readFile(path, out, error, kScriptLimit);
}

// The picture and the transcript replace their old files only when written whole.
bool writeText(const std::string& path, const std::string& text) {
  std::string error;
  if (qd::files::replaceFile(path, text, error)) return true;
  std::fprintf(stderr, "qdhost: %s\n", error.c_str());
  return false;
}

// Opens a drawing file, or a new drawing from the template when `path` is empty (from
// the built-in defaults when there is no template either), and makes it the working one.
bool openDrawing(const Options& o, const std::string& path, std::unique_ptr<AcDbDatabase>& out, std::u16string& error) {
  const std::string source = path.empty() ? o.data + "/template.dxf" : path;
  const bool fromDefaults = path.empty() && !std::ifstream(source);
  auto db = std::make_unique<AcDbDatabase>(fromDefaults);
  if (!fromDefaults && qd::dxf::readFile(db.get(), source, error) != Acad::eOk) return false;
  // A new drawing is not the template: it is named as the host names one, in the folder
  // the session works in, where saving it without a name would put it.
  if (path.empty()) qd::dxf::nameDrawing(db.get(), "Drawing1.dwg");
  out = std::move(db);
  acdbHostApplicationServices()->setWorkingDatabase(out.get());
  return true;
}

void loadModules(const Options& o) {
  auto& manager = qd::modules::Manager::get();
  manager.addModuleFolder(o.moduleDir);
  std::vector<std::string> names = o.modules;
  if (names.empty() && !o.noModules) {
    std::error_code ec;
    // "lib" names are libraries that modules load, not application modules.
    for (const auto& entry : std::filesystem::directory_iterator(o.moduleDir, ec))
      if (entry.path().extension() == ".so" && entry.path().filename().string().rfind("lib", 0) != 0)
        names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
  }
  for (const auto& name : names) {
    std::u16string message;
    if (!manager.load(name, message)) qd::ui::Console::get().write(message + u"\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    usage();
    return 2;
  }
  auto& console = qd::ui::Console::get();
  console.setEcho(!o.quiet);
  qd::ads::printSink() = [&console](const std::u16string& s) { console.write(s); };
  qd::font::setFontFolder(o.data + "/fonts");
  qd::font::setNoticeSink([&console](const std::u16string& s) { console.write(u"\n" + s + u"\n"); });
  qd::ads::session().supportPaths.push_back(o.data);
  for (const auto& dir : o.support) qd::ads::session().supportPaths.push_back(dir);
  qd::ui::setDialogPictureFolder(o.dialogs);
  // An entry given with no value is left unset, defaults included.
  std::vector<std::u16string> given;
  for (const auto& entry : o.env) {
    const size_t eq = entry.find('=');
    given.push_back(qd::text::toUpper(qd::text::fromUtf8(entry.substr(0, eq))));
    if (eq + 1 < entry.size())
      acedSetEnv(given.back().c_str(), qd::text::fromUtf8(entry.substr(eq + 1)).c_str());
  }
  // The product's folders point into the data folder unless the environment says
  // otherwise; its libraries ("TVC") are built beside the modules.
  for (const char16_t* entry : {u"TVDAT", u"TVDWG", u"TORVEL_DIR", u"TVC"}) {
    ACHAR value[1024];
    const std::u16string name = entry;
    if (std::find(given.begin(), given.end(), name) == given.end() && acedGetEnv(entry, value, 1024) != RTNORM) {
      const std::string dir = name == u"TVC" ? o.moduleDir : o.data + (name == u"TVDWG" ? "/dwg" : "");
      acedSetEnv(entry, qd::text::fromUtf8(dir).c_str());
    }
  }
  qd::siblings::install(o.data);
  qd::ui::installSelection();

  // As in the host, the modules start with a new drawing; a drawing to open is opened
  // after them, so that the classes they define are known when it is read.
  std::unique_ptr<AcDbDatabase> drawing;
  std::u16string error;
  if (!o.open.empty() && !std::ifstream(o.open)) {
    std::fprintf(stderr, "qdhost: cannot open %s\n", o.open.c_str());
    return 1;
  }
  if (!openDrawing(o, "", drawing, error)) {
    std::fprintf(stderr, "qdhost: %s\n", qd::text::toUtf8(error).c_str());
    return 1;
  }
  std::string saveTo = o.save.empty() ? o.open : o.save;
  qd::commands::saveHook() = [&saveTo](AcDbDatabase* d) {
    std::u16string err;
    if (saveTo.empty() || qd::dxf::writeFile(d, saveTo, err) != Acad::eOk) {
      qd::ui::Console::get().write(u"The drawing could not be saved. " + err + u"\n");
      return RTERROR;
    }
    return RTNORM;
  };
  // Another drawing replaces this one; the modules see it close and the new one open.
  qd::commands::openHook() = [&](const std::string& path) {
    std::unique_ptr<AcDbDatabase> next;
    std::u16string err;
    if (!openDrawing(o, path, next, err)) {
      qd::ui::Console::get().write(err + u"\n");
      return RTERROR;
    }
    qd::modules::Manager::get().drawingClosing();
    drawing = std::move(next);
    acdbHostApplicationServices()->setWorkingDatabase(drawing.get());
    if (!path.empty() && o.save.empty()) saveTo = path;
    qd::modules::Manager::get().drawingOpened();
    return RTNORM;
  };

  loadModules(o);
  if (!o.open.empty() && qd::commands::openHook()(o.open) != RTNORM) {
    std::fprintf(stderr, "qdhost: cannot read %s:\n%s", o.open.c_str(), qd::text::toUtf8(console.transcript()).c_str());
    qd::modules::Manager::get().unloadAll();
    return 1;
  }
  int failures = 0;
  for (const auto& path : o.scripts) {
    std::string text, why;
    if (!readText(path, text, why)) {
      std::fprintf(stderr, "qdhost: cannot read script: %s\n", why.c_str());
      qd::modules::Manager::get().unloadAll();
      return 1;
    }
    qd::ui::ScriptSource script(std::filesystem::path(path).filename().string(), text);
    failures += qd::ui::runSession(script);
  }
  if (o.interactive) {
    // A person sees the command line, whatever the scripts before did.
    console.setEcho(true);
    qd::ui::TerminalSource terminal;
    qd::ui::runSession(terminal);
  }
  // The drawing is written and closed while the modules that define its classes are
  // still loaded; then the modules are unloaded and the transcript written.
  int status = failures ? 4 : 0;
  AcDbDatabase& db = *drawing;
  if (!o.save.empty() && qd::dxf::writeFile(&db, o.save, error) != Acad::eOk) {
    std::fprintf(stderr, "qdhost: %s\n", qd::text::toUtf8(error).c_str());
    status = 1;
  }
  if (!o.svg.empty() || !o.png.empty()) {
    const std::string svg = qd::render::modelSpaceSvg(&db, qd::ui::overlay());
    if (!o.svg.empty() && !writeText(o.svg, svg)) status = 1;
    std::string png, why;
    if (!o.png.empty() && !qd::render::svgToPng(svg, 2000, png, why)) {
      std::fprintf(stderr, "qdhost: the picture cannot be made into %s: %s\n", o.png.c_str(), why.c_str());
      status = 1;
    } else if (!o.png.empty() && !writeText(o.png, png)) {
      status = 1;
    }
  }
  qd::modules::Manager::get().drawingClosing();
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  drawing.reset();
  qd::modules::Manager::get().unloadAll();
  if (!o.transcript.empty() && !writeText(o.transcript, qd::text::toUtf8(console.transcript()))) status = 1;
  if (failures) std::fprintf(stderr, "qdhost: %d check(s) failed\n", failures);
  return status;
}
