#include "headless/ui/runner.h"

#include "headless/ads/resbuf_util.h"
#include "headless/commands/commands.h"
#include "headless/lisp/lisp.h"
#include "headless/modules/modules.h"
#include "headless/ui/dialogs.h"
#include "headless/ui/native/native_dialogs.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "platform/codepage.h"

namespace qd::ui {
namespace {

lisp::Interpreter& interpreter() {
  static lisp::Interpreter lisp([](const std::u16string& name, const std::vector<lisp::Value>& args, int& status,
                                   lisp::Value& result) {
    auto& modules = qd::modules::Manager::get();
    if (name == u"ARXLOAD" || name == u"ARXUNLOAD") {
      if (args.empty() || args[0].kind != lisp::Value::Kind::Str) {
        status = RTERROR;
        return true;
      }
      std::u16string message;
      const bool ok = name == u"ARXLOAD" ? modules.load(qd::text::toUtf8(args[0].text), message)
                                         : modules.unload(args[0].text, false, message);
      if (!ok) Console::get().write(message + u"\n");
      result = ok ? args[0] : lisp::Value::nil();
      status = RTNORM;
      return true;
    }
    if (!modules.isDefined(name)) return false;
    qd::ads::RbList in(lisp::toArgumentList(args));
    qd::ads::RbList out;
    status = modules.invoke(name, in.get(), out);
    result = lisp::Value::nil();
    std::u16string error;
    if (out && !lisp::fromResbufChain(out.get(), result, error)) {
      Console::get().write(error + u"\n");
      status = RTERROR;
    }
    return true;
  });
  return lisp;
}

void failed(const Event& e, const std::u16string& what) {
  Console& c = Console::get();
  c.note(u"; check failed at " + qd::text::fromUtf8(e.source) + u" line " + qd::text::fromUtf8(std::to_string(e.line)) +
         u": " + what + u"\n");
  c.countFailure();
}

bool evalText(const std::u16string& text, lisp::Value& value, std::u16string& error) {
  std::vector<lisp::Value> exprs;
  if (!lisp::read(text, exprs, error)) return false;
  value = lisp::Value::nil();
  for (const auto& x : exprs)
    if (!interpreter().eval(x, value, error)) return false;
  return true;
}

// "expect var NAME VALUE", "expect count N [type=T] [layer=L] [app=A]",
// "expect line TEXT", "expect text TEXT", "expect lisp (EXPR) VALUE".
void check(const Event& e) {
  Console& c = Console::get();
  const std::vector<std::u16string> w = eventWords(e.text);
  const std::u16string kind = w.size() > 1 ? w[1] : u"";
  auto rest = [&](size_t from) { return eventRest(e.text, from); };
  if (kind == u"var" && w.size() >= 3) {
    lisp::Value v, expected;
    std::u16string error;
    evalText(u"(getvar \"" + w[2] + u"\")", v, error);
    const std::u16string want = rest(3), got = lisp::princText(v);
    if (got != want) failed(e, u"variable " + w[2] + u" is " + lisp::print(v) + u", expected " + want);
    return;
  }
  if (kind == u"count" && w.size() >= 3) {
    qd::ads::RbList filter;
    for (size_t i = 3; i < w.size(); ++i) {
      const size_t eq = w[i].find(u'=');
      const std::u16string key = w[i].substr(0, eq), value = eq == std::u16string::npos ? u"" : w[i].substr(eq + 1);
      if (key == u"type") filter.add(acutBuildList(RTDXF0, value.c_str(), 0));
      else if (key == u"layer") filter.add(acutBuildList(8, value.c_str(), 0));
      else if (key == u"block") filter.add(acutBuildList(2, value.c_str(), 0));
      else if (key == u"app") filter.add(acutBuildList(-3, 1001, value.c_str(), 0));
      else return failed(e, u"unknown filter \"" + w[i] + u"\"");
    }
    ads_name ss;
    int32_t n = 0;
    if (acedSSGet(u"_X", nullptr, nullptr, filter.get(), ss) == RTNORM) {
      acedSSLength(ss, &n);
      acedSSFree(ss);
    }
    const int want = std::atoi(qd::text::toUtf8(w[2]).c_str());
    if (n != want)
      failed(e, u"found " + qd::text::fromUtf8(std::to_string(n)) + u" entities, expected " + w[2]);
    return;
  }
  if ((kind == u"line" || kind == u"text") && w.size() >= 3) {
    const std::u16string want = rest(2);
    const bool found = kind == u"text" ? c.printedContains(want) : c.hasLine(want);
    if (!found) {
      std::u16string seen;
      for (const auto& l : c.lastPrintedLines(5)) seen += u"\n;   | " + l;
      failed(e, (kind == u"text" ? u"nothing printed contains \"" : u"the transcript has no line \"") + want +
                    u"\"; the last lines printed:" + seen);
    }
    return;
  }
  if (kind == u"lisp") {
    std::vector<lisp::Value> exprs;
    std::u16string error;
    const std::u16string body = rest(2);
    if (!lisp::read(body, exprs, error) || exprs.size() != 2) return failed(e, u"expect lisp (EXPR) VALUE");
    lisp::Value got;
    if (!interpreter().eval(exprs[0], got, error)) return failed(e, error);
    if (lisp::print(got) != lisp::print(exprs[1]))
      failed(e, lisp::print(exprs[0]) + u" gave " + lisp::print(got) + u", expected " + lisp::print(exprs[1]));
    return;
  }
  if ((kind == u"tile" || kind == u"list" || kind == u"usable") && w.size() >= 3) {
    std::u16string message;
    const bool ok = native::shown() ? native::check(kind, w[2], rest(3), message) : checkDialog(kind, w[2], rest(3), message);
    if (!ok) failed(e, message);
    return;
  }
  failed(e, u"unknown check \"" + e.text + u"\"");
}

}  // namespace

void runCommandLine(const Event& e) {
  Console& c = Console::get();
  const std::u16string text = e.text;
  if (text.rfind(u"expect ", 0) == 0) {
    check(e);
    return;
  }
  if (!text.empty() && (text[0] == u'(' || text[0] == u'\'' || text[0] == u'!')) {
    lisp::Value value;
    std::u16string error;
    if (!evalText(text[0] == u'!' ? text.substr(1) : text, value, error)) {
      c.write(error + u"\n");
      return;
    }
    c.write(lisp::print(value) + u"\n");
    return;
  }
  // Host commands, module commands, "C:" functions and variables, as the host finds them.
  qd::commands::run(text, nullptr);
}

int runSession(EventSource& source) {
  Console& c = Console::get();
  EventSource* outer = c.source();
  c.setSource(&source);
  c.checkHook = check;
  c.clearStop();
  const int before = c.failures();
  for (;;) {
    Event e;
    c.write(u"Command: ");
    if (!c.nextEvent(source, e, u"Command: ")) {
      c.answer(u"");
      break;
    }
    if (e.text == u"<esc>") {
      c.answer(u"*Cancel*");
      continue;
    }
    c.answer(e.text);
    runCommandLine(e);
    if (c.stopped()) break;
  }
  c.setSource(outer);
  return c.failures() - before;
}

}  // namespace qd::ui
