// Qdstrat.arx: the product family's host module of the layer workspace manager. It
// loads the manager's library (libQdstrat beside it), offers the call-backs the library
// finds by name (the command line, host variables, the product's code lists, a layer
// pick), defines the command "QDSTRAT" that runs the manager, and runs "QDSTRAT.SCR"
// when the manager leaves it for the host. Built with QD_LIGHT_EDITION it is the light
// edition's QDSTRAT.CRX: the same command runs the light entry on TVDAT's file.
//
// Layer commands arrive a token at a time and are run when the manager ends them (an
// empty token) or hands control back; every token is taken as accepted.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "headless/ui/console.h"
#include "host/aced.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "host/rxregsvc.h"
#include "host/winlib.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "siblings/siblings.h"
#include "workspace/HostCalls.h"
#include "workspace/Manager.h"  // the dialog codes and the script's place
#include "workspace/WorkspaceTree.h"

namespace {

#ifdef QD_LIGHT_EDITION
const char16_t* const kModuleName = u"QDSTRAT.CRX";
constexpr int kEnvironment = 2;
#else
const char16_t* const kModuleName = u"Qdstrat.arx";
constexpr int kEnvironment = 1;
#endif

std::vector<std::u16string> g_pending;
qd::siblings::Product g_product;
bool g_productRead = false;
bool g_reopen = false;

void copyOut(const std::u16string& text, char16_t* buffer) {
  const size_t n = std::min<size_t>(text.size(), qd::workspace::kBufferLength - 1);
  std::copy_n(text.begin(), n, buffer);
  buffer[n] = 0;
}

int flush() {
  if (g_pending.empty()) return qd::workspace::kAccepted;
  resbuf *head = nullptr, *tail = nullptr;
  for (const auto& t : g_pending) {
    resbuf* rb = acutBuildList(RTSTR, t.c_str(), 0);
    (head ? tail->rbnext : head) = rb;
    tail = rb;
  }
  g_pending.clear();
  const int rc = acedCmd(head);
  acutRelRb(head);
  return rc == RTNORM ? qd::workspace::kAccepted : rc;
}

const qd::siblings::Product& product() {
  if (g_productRead) return g_product;
  g_productRead = true;
  ACHAR found[1024];
  if (acedFindFile(u"product.txt", found, 1024) != RTNORM) return g_product;
  std::string bytes, error;
  std::vector<std::string> problems;
  if (qd::files::readFile(qd::text::toUtf8(found), bytes, error)) g_product.parse(bytes, problems);
  return g_product;
}

// A code list handed out an entry a call: flag 0 starts it again.
int fillFrom(const std::vector<std::u16string>& entries, size_t& at, int next, char16_t* buffer) {
  if (!next) at = 0;
  if (!buffer || at >= entries.size()) return -1;
  copyOut(entries[at++], buffer);
  return 0;
}

template <class Map>
std::vector<std::u16string> entriesOf(const Map& map, const std::u16string& before = u"") {
  std::vector<std::u16string> out;
  for (const auto& [code, value] : map) {
    if constexpr (std::is_same_v<typename Map::mapped_type, qd::siblings::Floor>) out.push_back(code + u" " + value.description);
    else out.push_back(before + code + u" " + value);
  }
  return out;
}

void runScript() {
  std::string bytes, error;
  if (!qd::files::readFile(qd::workspace::scriptPath(), bytes, error)) return;
  std::vector<std::u16string> tokens;
  const std::u16string text = qd::text::fromAnsi(bytes);
  size_t at = 0;
  while ((at = text.find_first_not_of(u" \n\r\t", at)) != std::u16string::npos) {
    const size_t end = text.find_first_of(u" \n\r\t", at);
    tokens.push_back(text.substr(at, end - at));
    at = end;
  }
  qd::ui::Console::get().insertEvents(tokens, "QDSTRAT.SCR");
}

// Runs the manager once: the full entry, or the light one on the definition file in
// TVDAT, which the light run saves when it ends.
int runOnce(HMODULE library, int mode) {
#ifdef QD_LIGHT_EDITION
  using LightFn = int (*)(const char16_t*, int);
  auto light = reinterpret_cast<LightFn>(GetProcAddress(library, "LT_QDSTRAT"));
  ACHAR folder[1024] = {};
  if (!light || acedGetEnv(u"TVDAT", folder, 1024) != RTNORM) return -1;
  return light((std::u16string(folder) + u"/QDSTRAT.QDL").c_str(), mode);
#else
  using RunFn = int (*)(int);
  auto run = reinterpret_cast<RunFn>(GetProcAddress(library, "Do_TV_lay"));
  return run ? run(mode) : -1;
#endif
}

void qdstratCommand() {
  ACHAR self[1024] = {};
  GetModuleFileNameW(GetModuleHandleW(kModuleName), self, 1024);
  const std::filesystem::path folder = std::filesystem::path(qd::text::toUtf8(self)).parent_path();
  static HMODULE library = LoadLibraryW(qd::text::fromUtf8((folder / "libQdstrat.so").string()).c_str());
  if (!library) {
    acutPrintf(u"\nKnihovnu pracovních ploch nelze načíst.");
    return;
  }
  const int result = runOnce(library, g_reopen ? 1 : 0);
  flush();
  if (result < 0) acutPrintf(u"\nKnihovnu pracovních ploch nelze načíst.");
  g_reopen = result == 1;
  if (g_reopen) runScript();
}

// qd011_set: the floor the script sets, kept as the product's current floor.
void floorCommand() {
  ACHAR floor[64] = {};
  if (acedGetString(0, u"\nPodlaží: ", floor, 64) != RTNORM) return;
  resbuf* rb = acutBuildList(RTSTR, floor, 0);
  acedPutSym(u"QD_POD", rb);
  acutRelRb(rb);
}

AcEdCommandStack* commandStack() { return AcEdCommandStack::cast(acrxSysRegistry()->at(u"ACAD_REGISTERED_COMMANDS")); }

}  // namespace

ACRX_ENTRY_POINT int getQDSTRATenv() {
  ACHAR value[16] = {};
  if (acedGetEnv(u"QDSTRAT_ENV", value, 16) != RTNORM) return kEnvironment;
  return value[0] == u'2' ? 2 : value[0] == u'1' ? 1 : 0;
}

ACRX_ENTRY_POINT void getVarStr(const char16_t* name, char16_t* buffer) {
  if (!buffer) return;
  buffer[0] = 0;
  resbuf rb{};
  if (!name || acedGetVar(name, &rb) != RTNORM || rb.restype != RTSTR) return;
  copyOut(rb.resval.rstring ? rb.resval.rstring : u"", buffer);
  acutDelString(rb.resval.rstring);
}

ACRX_ENTRY_POINT int getVarInt(const char16_t* name) {
  resbuf rb{};
  if (!name || acedGetVar(name, &rb) != RTNORM) return 0;
  if (rb.restype == RTSTR) acutDelString(rb.resval.rstring);
  return rb.restype == RTSHORT ? rb.resval.rint : 0;
}

ACRX_ENTRY_POINT int DoAdsCommand(const char16_t* token) {
  if (!token) return RTERROR;
  g_pending.emplace_back(token);
  return *token ? qd::workspace::kAccepted : flush();
}

ACRX_ENTRY_POINT void DoAdsPause(const char16_t* prompt) {
  flush();
  ACHAR answer[256];
  acedGetString(0, prompt ? prompt : u"", answer, 256);
}

ACRX_ENTRY_POINT void SetSection(const char16_t* code) {
  resbuf* rb = acutBuildList(RTSTR, code ? code : u"", 0);
  acedPutSym(u"QD_SEK", rb);
  acutRelRb(rb);
}

ACRX_ENTRY_POINT void VytvorSkicu(const char16_t* layer, int) {
  flush();
  resbuf* call = acutBuildList(RTSTR, u"QD008e", RTSTR, layer ? layer : u"", 0);
  resbuf* result = nullptr;
  acedInvoke(call, &result);
  acutRelRb(call);
  acutRelRb(result);
}

ACRX_ENTRY_POINT void Konstrukce(char16_t* buffer, int, int) {
  if (!buffer) return;
  buffer[0] = 0;
  ACHAR code[64] = {};
  if (acedGetString(0, u"\nKonstrukce: ", code, 64) != RTNORM) return;
  const auto& c = product().constructions;
  if (auto it = c.find(qd::text::toUpper(code)); it != c.end()) copyOut(it->first + u" " + it->second, buffer);
}

ACRX_ENTRY_POINT void getAktKon(char16_t* buffer) {
  if (!buffer) return;
  buffer[0] = 0;
  resbuf* rb = nullptr;
  acedGetSym(u"QD_KON", &rb);
  if (rb && rb->restype == RTSTR && rb->resval.rstring) copyOut(rb->resval.rstring, buffer);
  acutRelRb(rb);
}

ACRX_ENTRY_POINT int VyberLayer(char16_t* buffer) {
  if (!buffer) return 0;
  buffer[0] = 0;
  flush();
  ads_name picked;
  ads_point at;
  if (acedEntSel(u"\nVyberte hladinu: ", picked, at) != RTNORM) return 5;
  resbuf* list = acdbEntGet(picked);
  std::u16string layer;
  for (resbuf* rb = list; rb; rb = rb->rbnext)
    if (rb->restype == 8 && rb->resval.rstring) layer = rb->resval.rstring;
  acutRelRb(list);
  copyOut(layer, buffer);
  const std::u16string code = layer.size() >= 5 ? qd::text::toUpper(layer.substr(2, 3)) : u"";
  if (product().constructions.count(code)) return 8;
  if (product().generals.count(code)) return 16;
  return 5;
}

ACRX_ENTRY_POINT int FillSekce(int next, char16_t* buffer) {
  static size_t at = 0;
  static const std::vector<std::u16string> entries = entriesOf(product().sections);
  return fillFrom(entries, at, next, buffer);
}

ACRX_ENTRY_POINT int FillModuly(int next, char16_t* buffer) {
  static size_t at = 0;
  return fillFrom({u"V Výkresy", u"K Konstrukce"}, at, next, buffer);
}

ACRX_ENTRY_POINT int FillPodlazi(int next, char16_t* buffer) {
  static size_t at = 0;
  static const std::vector<std::u16string> entries = entriesOf(product().floors);
  return fillFrom(entries, at, next, buffer);
}

ACRX_ENTRY_POINT int FillKonstrukce(int next, char16_t* buffer) {
  static size_t at = 0;
  static const std::vector<std::u16string> entries = entriesOf(product().constructions, u"? ");
  return fillFrom(entries, at, next, buffer);
}

ACRX_ENTRY_POINT int FillObHladiny(int next, char16_t* buffer) {
  static size_t at = 0;
  static const std::vector<std::u16string> entries = entriesOf(product().generals);
  return fillFrom(entries, at, next, buffer);
}

ACRX_ENTRY_POINT int FillZobrazeni(int next, char16_t* buffer) {
  static size_t at = 0;
  return fillFrom({}, at, next, buffer);
}

ACRX_ENTRY_POINT int FillHladiny(int next, char16_t* buffer) {
  static std::vector<std::u16string> layers;
  static size_t at = 0;
  if (!next) {
    layers.clear();
    for (resbuf* rb = acdbTblNext(u"LAYER", 1); rb; rb = acdbTblNext(u"LAYER", 0)) {
      for (resbuf* g = rb; g; g = g->rbnext)
        if (g->restype == 2 && g->resval.rstring) layers.emplace_back(g->resval.rstring);
      acutRelRb(rb);
    }
  }
  return fillFrom(layers, at, next, buffer);
}

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId) {
  switch (msg) {
    case AcRx::kInitAppMsg: {
      acrxUnlockApplication(appId);
      // The manager reads its folder from the process's environment, as the product sets it.
      ACHAR tvdat[1024];
      if (acedGetEnv(u"TVDAT", tvdat, 1024) == RTNORM) setenv("TVDAT", qd::text::toUtf8(tvdat).c_str(), 1);
      if (AcEdCommandStack* stack = commandStack()) {
        stack->addCommand(u"QDSTRAT", u"QDSTRAT", u"QDSTRAT", ACRX_CMD_MODAL, qdstratCommand);
        stack->addCommand(u"QDSTRAT", u"QD011_SET", u"QD011_SET", ACRX_CMD_MODAL, floorCommand);
      }
      break;
    }
    case AcRx::kUnloadAppMsg:
      if (AcEdCommandStack* stack = commandStack()) stack->removeGroup(u"QDSTRAT");
      break;
    default: break;
  }
  return AcRx::kRetOK;
}
