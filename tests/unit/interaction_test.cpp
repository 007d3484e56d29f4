// The interaction side of the host: LISP reading, printing and result buffers, keyword
// matching, DCL definitions, and the sibling data files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>


#include "headless/ads/resbuf_util.h"
#include "headless/lisp/lisp.h"
#include "headless/modules/modules.h"
#include "headless/ui/console.h"
#include "headless/ui/dcl.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "siblings/siblings.h"

namespace {

using qd::lisp::Value;

Value readOne(const std::u16string& text) {
  std::vector<Value> out;
  std::u16string error;
  EXPECT_TRUE(qd::lisp::read(text, out, error)) << std::string(error.begin(), error.end());
  return out.empty() ? Value() : out[0];
}

TEST(Lisp, ReadsAndPrintsAsTheHostDoes) {
  EXPECT_EQ(qd::lisp::print(readOne(u"(1 2.5 \"a\\\"b\" nil T sym)")), u"(1 2.5 \"a\\\"b\" nil T SYM)");
  EXPECT_EQ(qd::lisp::print(readOne(u"'(8 . \"0\")")), u"(QUOTE (8 . \"0\"))");
  EXPECT_EQ(qd::lisp::print(readOne(u"100.0")), u"100.0");
  EXPECT_EQ(qd::lisp::print(readOne(u"-3")), u"-3");
  EXPECT_EQ(qd::lisp::print(readOne(u"1e3")), u"1000.0");
  EXPECT_EQ(qd::lisp::print(readOne(u"( )")), u"nil");
  EXPECT_EQ(qd::lisp::princText(readOne(u"\"Příliš\"")), u"Příliš");
  // Symbols with digits and dashes stay symbols.
  EXPECT_EQ(readOne(u"TV_UNITS_M-MM").kind, Value::Kind::Sym);
  EXPECT_EQ(readOne(u"1+").kind, Value::Kind::Sym);
}

TEST(Lisp, MalformedInputIsRefusedWithAPosition) {
  for (const char16_t* bad : {u"(1 2", u")", u"\"open", u"(1 . )", u"'"}) {
    std::vector<Value> out;
    std::u16string error;
    EXPECT_FALSE(qd::lisp::read(bad, out, error)) << std::string(bad, bad + 3);
    EXPECT_NE(error.find(u"; error:"), std::u16string::npos);
  }
}

// What the command line shows for an expression: its value, or the error message.
std::u16string evalPrinted(qd::lisp::Interpreter& lisp, const std::u16string& text) {
  Value v;
  std::u16string error;
  if (!lisp.eval(readOne(text), v, error)) return error;
  return qd::lisp::print(v);
}

TEST(Lisp, IntegersAreThirtyTwoBitsAndWrapAsTheHostsDo) {
  qd::lisp::Interpreter lisp(nullptr);
  auto run = [&](const std::u16string& text) { return evalPrinted(lisp, text); };
  EXPECT_EQ(run(u"(+ 2147483647 1)"), u"-2147483648");
  EXPECT_EQ(run(u"(- -2147483648 1)"), u"2147483647");
  EXPECT_EQ(run(u"(- -2147483648)"), u"-2147483648");
  EXPECT_EQ(run(u"(* 2147483647 2147483647 2147483647)"), u"2147483647");
  EXPECT_EQ(run(u"(/ -2147483648 -1)"), u"-2147483648");
  EXPECT_EQ(run(u"(/ 5 0 1)"), u"; error: divide by zero");
  // Beyond 32 bits a number is read as a real.
  EXPECT_EQ(run(u"9223372036854775807"), u"9.22337e+18");
  EXPECT_EQ(run(u"(+ 9223372036854775807 1)"), u"9.22337e+18");
  // A conversion the host refuses is an error, never a text of whatever memory held.
  EXPECT_EQ(run(u"(rtos 1.0 2 9)"), u"; error: bad argument value");
  EXPECT_EQ(run(u"(rtos 1.0 99 2)"), u"; error: bad argument value");
  EXPECT_EQ(run(u"(rtos 1.0 2 -5)"), u"; error: bad argument value");
  EXPECT_EQ(run(u"(rtos 1.5 2 2)"), u"\"1.50\"");
}

TEST(Lisp, DeepNestingIsRefusedWhereverItArises) {
  auto deep = [](const char16_t* open, const char16_t* close, int n) {
    std::u16string s;
    for (int i = 0; i < n; ++i) s += open;
    for (int i = 0; i < n && *close; ++i) s += close;
    return s;
  };
  for (const std::u16string& text : {deep(u"(", u")", 10000), deep(u"'", u"", 10000) + u"x", deep(u"(", u"", 10000),
                                     deep(u"'(", u")", 10000)}) {
    std::vector<Value> out;
    std::u16string error;
    EXPECT_FALSE(qd::lisp::read(text, out, error));
    EXPECT_NE(error.find(u"; error:"), std::u16string::npos);
  }
  std::vector<Value> out;
  std::u16string error;
  EXPECT_TRUE(qd::lisp::read(deep(u"(", u")", 200), out, error));
  // Lists made by repeated calls stop growing at the same depth.
  qd::lisp::Interpreter lisp(nullptr);
  Value v;
  EXPECT_FALSE(lisp.eval(readOne(u"(progn (setq deep nil) (while T (setq deep (list deep))))"), v, error));
  EXPECT_EQ(error, u"; error: lists nested too deeply");
  // Result buffers nested 2,000 deep, or left open, are refused whole.
  qd::ads::RbList chain;
  for (int i = 0; i < 2000; ++i) chain.add(acutNewRb(RTLB));
  for (int i = 0; i < 2000; ++i) chain.add(acutNewRb(RTLE));
  EXPECT_FALSE(qd::lisp::fromResbufChain(chain.get(), v, error));
  EXPECT_TRUE(qd::lisp::fromResbufChain(chain.get()).isNil());
  qd::ads::RbList open(acutBuildList(RTLB, RTSHORT, 1, 0));
  EXPECT_FALSE(qd::lisp::fromResbufChain(open.get(), v, error));
}

TEST(Lisp, ValuesBecomeResultBuffersAndBack) {
  // A list of two or three numbers reaches a function as a point.
  qd::ads::RbList p(qd::lisp::toResbuf(readOne(u"(1 2)")));
  EXPECT_EQ(p.get()->restype, RTPOINT);
  qd::ads::RbList p3(qd::lisp::toResbuf(readOne(u"(1 2 3.5)")));
  EXPECT_EQ(p3.get()->restype, RT3DPOINT);
  EXPECT_DOUBLE_EQ(p3.get()->resval.rpoint[2], 3.5);
  // Big integers are longs; other lists keep their brackets; dotted pairs their dot.
  qd::ads::RbList big(qd::lisp::toResbuf(Value::ofInt(100000)));
  EXPECT_EQ(big.get()->restype, RTLONG);
  qd::ads::RbList nested(qd::lisp::toResbuf(readOne(u"(\"a\" (1 \"b\"))")));
  std::vector<int> types;
  for (resbuf* rb = nested.get(); rb; rb = rb->rbnext) types.push_back(rb->restype);
  EXPECT_EQ(types, (std::vector<int>{RTLB, RTSTR, RTLB, RTSHORT, RTSTR, RTLE, RTLE}));
  EXPECT_EQ(qd::lisp::print(qd::lisp::fromResbufChain(nested.get())), u"(\"a\" (1 \"b\"))");
  // Entity-list groups: (code . value) and (code x y z) by the code's kind.
  qd::ads::RbList layer(qd::lisp::toGroupResbuf(readOne(u"(8 . \"WALLS\")")));
  EXPECT_EQ(layer.get()->restype, 8);
  EXPECT_EQ(std::u16string(layer.get()->resval.rstring), u"WALLS");
  qd::ads::RbList at(qd::lisp::toGroupResbuf(readOne(u"(10 1 2)")));
  EXPECT_EQ(at.get()->restype, 10);
  EXPECT_DOUBLE_EQ(at.get()->resval.rpoint[1], 2.0);
  EXPECT_EQ(qd::lisp::print(qd::lisp::fromResbufChain(at.get())), u"(10 1.0 2.0 0.0)");
  qd::ads::RbList color(qd::lisp::toGroupResbuf(readOne(u"(62 . 3)")));
  EXPECT_EQ(qd::lisp::print(qd::lisp::fromResbufChain(color.get())), u"(62 . 3)");
  // Binary extended data is its hexadecimal digits; digits that are not make no chunk.
  qd::ads::RbList chunk(qd::lisp::toGroupResbuf(readOne(u"(1004 . \"0102fF\")")));
  ASSERT_EQ(chunk.get()->resval.rbinary.clen, 3);
  EXPECT_EQ(static_cast<unsigned char>(chunk.get()->resval.rbinary.buf[2]), 0xFF);
  EXPECT_EQ(qd::lisp::print(qd::lisp::fromResbufChain(chunk.get())), u"(1004 . \"0102FF\")");
  qd::ads::RbList bad(qd::lisp::toGroupResbuf(readOne(u"(1004 . \"0G\")")));
  EXPECT_EQ(bad.get()->resval.rbinary.clen, 0);
}

TEST(Lisp, AnExternalFunctionGetsPointsOfRealsAndListsAsWritten) {
  std::vector<Value> args;
  std::u16string error;
  ASSERT_TRUE(qd::lisp::read(u"(1.0 2.0 3.0) (1 2 3) (1 2 3 4) (10 . 5) ((1 1) (2.5 0.5))", args, error));
  qd::ads::RbList chain(qd::lisp::toArgumentList(args));
  std::vector<int> types;
  for (resbuf* rb = chain.get(); rb; rb = rb->rbnext) types.push_back(rb->restype);
  EXPECT_EQ(types, (std::vector<int>{RT3DPOINT,                                   // reals: a point
                                     RTLB, RTSHORT, RTSHORT, RTSHORT, RTLE,       // integers: a list
                                     RTLB, RTSHORT, RTSHORT, RTSHORT, RTSHORT, RTLE,  // four: no group
                                     RTLB, RTSHORT, RTDOTE, RTSHORT, RTLE,        // a dotted pair
                                     RTLB, RTLB, RTSHORT, RTSHORT, RTLE, RTPOINT, RTLE}));
}

TEST(Lisp, EvaluatesArithmeticListsAndVariables) {
  qd::lisp::Interpreter lisp(nullptr);
  auto run = [&](const std::u16string& text) { return evalPrinted(lisp, text); };
  EXPECT_EQ(run(u"(+ 1 2 3)"), u"6");
  EXPECT_EQ(run(u"(/ 7 2)"), u"3");
  EXPECT_EQ(run(u"(/ 7 2.0)"), u"3.5");
  EXPECT_EQ(run(u"(/ 1 0)"), u"; error: divide by zero");
  EXPECT_EQ(run(u"(+ 1 \"a\")"), u"; error: bad argument type: \"a\"");
  EXPECT_EQ(run(u"(setq a 5 b (* a 2))"), u"10");
  EXPECT_EQ(run(u"(list a b)"), u"(5 10)");
  EXPECT_EQ(run(u"(cdr (assoc 8 '((0 . \"LINE\") (8 . \"0\"))))"), u"\"0\"");
  EXPECT_EQ(run(u"(if (> a 3) \"big\" \"small\")"), u"\"big\"");
  EXPECT_EQ(run(u"(strcat \"a\" \"ž\")"), u"\"až\"");
  EXPECT_EQ(run(u"(cons 1 '(2 3))"), u"(1 2 3)");
  EXPECT_EQ(run(u"(cons 1 2)"), u"(1 . 2)");
  EXPECT_EQ(run(u"(nosuch 1)"), u"; error: no function definition: NOSUCH");
  // Variables live with the host's LISP symbols.
  resbuf* rb = nullptr;
  acedGetSym(u"a", &rb);
  qd::ads::RbList owned(rb);
  ASSERT_NE(rb, nullptr);
  EXPECT_EQ(rb->resval.rint, 5);
  EXPECT_EQ(run(u"(setq a nil)"), u"nil");
  EXPECT_EQ(run(u"a"), u"nil");
}

TEST(Keywords, AbbreviationsCaseAndGlobalNames) {
  auto& c = qd::ui::Console::get();
  c.initGet(0, u"Ano Ne LTyp Zpet,Z _Yes No Linetype Back");
  EXPECT_EQ(c.matchKeyword(u"a"), u"Yes");
  EXPECT_EQ(c.matchKeyword(u"ANO"), u"Yes");
  EXPECT_EQ(c.matchKeyword(u"anop"), u"");
  EXPECT_EQ(c.matchKeyword(u"l"), u"");  // "LTyp" needs "LT"
  EXPECT_EQ(c.matchKeyword(u"lty"), u"Linetype");
  EXPECT_EQ(c.matchKeyword(u"z"), u"Back");
  EXPECT_EQ(c.matchKeyword(u"_no"), u"No");
  EXPECT_EQ(c.matchKeyword(u"_Ne"), u"");  // a global name is asked for
  c.initGet(0, u"left center");
  EXPECT_EQ(c.matchKeyword(u"l"), u"");  // without capitals the whole word is typed
  EXPECT_EQ(c.matchKeyword(u"LEFT"), u"left");
  c.resetInitGet();
}

TEST(Dcl, PrototypesSubassembliesAndBaseDefinitions) {
  qd::ui::dcl::File f;
  std::u16string error;
  ASSERT_TRUE(f.parse(uR"(
    // comment
    my_button : button { width = 12; fixed_width = true; }
    buttons : row { : my_button { key = "a"; label = "A"; } : my_button { key = "b"; width = 20; } }
    test : dialog { label = "Test"; /* block
      comment */ buttons; : edit_box { key = "e"; value = "x\"y"; } ok_cancel_help_errtile; }
  )",
                      "test.dcl", "", error))
      << std::string(error.begin(), error.end());
  qd::ui::dcl::Tile t;
  ASSERT_TRUE(f.resolve(u"test", t, error));
  EXPECT_EQ(t.kind, u"dialog");
  ASSERT_EQ(t.children.size(), 3u);
  const auto& row = t.children[0];
  EXPECT_EQ(row.kind, u"row");
  EXPECT_EQ(row.children[0].attribute(u"width"), u"12");
  EXPECT_EQ(row.children[1].attribute(u"width"), u"20");  // own attribute wins
  EXPECT_EQ(row.children[1].attribute(u"fixed_width"), u"true");
  EXPECT_EQ(t.children[1].attribute(u"value"), u"x\"y");
  // The base definitions give OK, Cancel, Help and the error tile.
  std::vector<std::u16string> keys;
  std::function<void(const qd::ui::dcl::Tile&)> walk = [&](const qd::ui::dcl::Tile& x) {
    if (!x.key().empty()) keys.push_back(x.key());
    for (const auto& c : x.children) walk(c);
  };
  walk(t.children[2]);
  EXPECT_EQ(keys, (std::vector<std::u16string>{u"accept", u"cancel", u"help", u"error"}));
  EXPECT_FALSE(f.resolve(u"missing", t, error));
}

TEST(Dcl, MalformedFilesNameTheLine) {
  const std::pair<const char16_t*, const char*> bad[] = {
      {u"a : dialog { label = \"x\" }", "line 1"},         {u"a : dialog {\n\n : button { key = \"k\"; ", "line 3"},
      {u"a dialog { }", "line 1"},                         {u"a : dialog { label = \"open\n\"; }", "line 1"},
      {u"@include \"nowhere.dcl\"", "cannot include"}};
  for (const auto& [text, where] : bad) {
    qd::ui::dcl::File f;
    std::u16string error;
    EXPECT_FALSE(f.parse(text, "bad.dcl", "/nonexistent", error));
    const std::string e(error.begin(), error.end());
    EXPECT_NE(e.find(where), std::string::npos) << e;
  }
  // Unknown prototypes and definitions that refer to each other fail when resolved.
  qd::ui::dcl::File f;
  std::u16string error;
  ASSERT_TRUE(f.parse(u"a : b { } b : a { } c : dialog { nosuch; }", "loop.dcl", "", error));
  qd::ui::dcl::Tile t;
  EXPECT_FALSE(f.resolve(u"a", t, error));
  EXPECT_FALSE(f.resolve(u"c", t, error));
  EXPECT_NE(error.find(u"nosuch"), std::u16string::npos);
}

TEST(Dcl, IncludesAreReadSafelyAndCyclesAndDepthAreRefused) {
  const auto dir = std::filesystem::temp_directory_path() / "qd_dcl_includes";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  auto put = [&](const char* name, const std::string& text) { std::ofstream(dir / name, std::ios::binary) << text; };
  put("base.dcl", "shared : button { key = \"k\"; label = \"Přidat\"; }\n");
  put("self.dcl", "@include \"self.dcl\"\n");
  put("a.dcl", "@include \"b.dcl\"\n");
  put("b.dcl", "@include \"a.dcl\"\n");
  std::filesystem::create_symlink("/dev/zero", dir / "endless.dcl");
  auto parse = [&](const std::u16string& text, const char* name, std::string& error) {
    qd::ui::dcl::File f;
    std::u16string e;
    const bool ok = f.parse(text, name, dir.string(), e);
    error.assign(e.begin(), e.end());
    return ok;
  };
  std::string error;
  // The included file's definitions outlive its parser.
  qd::ui::dcl::File f;
  std::u16string e;
  ASSERT_TRUE(f.parse(u"@include \"base.dcl\" d : dialog { shared; }", "main.dcl", dir.string(), e));
  qd::ui::dcl::Tile t;
  ASSERT_TRUE(f.resolve(u"d", t, e));
  EXPECT_EQ(t.children.at(0).attribute(u"label"), u"Přidat");
  EXPECT_FALSE(parse(u"@include \"self.dcl\"", "main.dcl", error));
  EXPECT_NE(error.find("includes itself"), std::string::npos) << error;
  EXPECT_FALSE(parse(u"@include \"a.dcl\"", "main.dcl", error));
  EXPECT_NE(error.find("includes itself"), std::string::npos) << error;
  EXPECT_FALSE(parse(u"@include \"endless.dcl\"", "main.dcl", error));
  EXPECT_NE(error.find("larger than"), std::string::npos) << error;
  // Tiles nested thousands deep are refused, not followed down the stack.
  std::u16string deep = u"d : dialog {";
  for (int i = 0; i < 5000; ++i) deep += u" : row {";
  EXPECT_FALSE(parse(deep, "deep.dcl", error));
  EXPECT_NE(error.find("nested deeper"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

TEST(Siblings, CatalogueAndProductTablesSkipBadLines) {
  qd::siblings::Catalogue c;
  std::vector<std::string> problems;
  c.parse("# comment\nqdads02 1119 \"QDLBL \\\"popisy\\\"\\n\"\nqdads02 x \"bad\"\nqdads02 5\n"
          "qdads01 57 \"Dotaz\"\nqdads01 99999 \"too big\"\n",
          problems);
  EXPECT_EQ(problems.size(), 3u);
  ASSERT_NE(c.find(u"QDADS02", 1119), nullptr);
  EXPECT_EQ(*c.find(u"qdads02", 1119), u"QDLBL \"popisy\"\n");
  EXPECT_EQ(c.find(u"qdads02", 57), nullptr);
  qd::siblings::Product p;
  problems.clear();
  p.parse("construction|SK0|Svislé\nfloor|_1|Přízemí|0|0\nfloor|_2|Patro|3000\nsuffix|C|1|Continuous\nwhat\n",
          problems);
  EXPECT_EQ(problems.size(), 2u);
  EXPECT_EQ(p.constructions.at(u"SK0"), u"Svislé");
  EXPECT_EQ(p.floors.count(u"_2"), 0u);
  EXPECT_EQ(p.suffixes.at(u'C').color, 1);
}

TEST(Modules, CommandsAreFoundByGlobalAndLocalNames) {
  auto& m = qd::modules::Manager::get();
  ASSERT_EQ(m.addCommand(u"TESTGROUP", u"GLOBALCMD", u"LOKALNI", 0, [] {}), Acad::eOk);
  EXPECT_EQ(m.addCommand(u"TESTGROUP", u"GLOBALCMD", u"X", 0, [] {}), Acad::eDuplicateKey);
  EXPECT_NE(m.findCommand(u"globalcmd"), nullptr);
  EXPECT_NE(m.findCommand(u"_GLOBALCMD"), nullptr);
  EXPECT_NE(m.findCommand(u"lokalni"), nullptr);
  EXPECT_EQ(m.findCommand(u"_LOKALNI"), nullptr);  // "_" asks for the global name
  EXPECT_EQ(m.removeGroup(u"testgroup"), Acad::eOk);
  EXPECT_EQ(m.findCommand(u"GLOBALCMD"), nullptr);
  // Functions of the host: acedInvoke reaches them; unknown names fail.
  m.defineHost(u"test_twice", [](const resbuf* args, qd::ads::RbList& result) {
    if (!args || args->restype != RTSHORT) return RTERROR;
    result.reset(acutBuildList(RTSHORT, args->resval.rint * 2, 0));
    return RTNORM;
  });
  qd::ads::RbList call(acutBuildList(RTSTR, u"TEST_TWICE", RTSHORT, 21, 0));
  resbuf* out = nullptr;
  ASSERT_EQ(acedInvoke(call.get(), &out), RTNORM);
  qd::ads::RbList owned(out);
  EXPECT_EQ(out->resval.rint, 42);
  qd::ads::RbList missing(acutBuildList(RTSTR, u"no_such_function", 0));
  EXPECT_EQ(acedInvoke(missing.get(), &out), RTERROR);
}

}  // namespace

#include <fstream>
#include <sstream>

#include "headless/render/slide.h"

namespace {

std::string slideLibrary() {
  std::ifstream in(std::string(QD_SOURCE_DIR) + "/data/slides/qdlbl.slb", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TEST(Slides, TheLabelKindsAreInTheLibrary) {
  const std::string lib = slideLibrary();
  for (const char* name : {"text", "textod", "textzd", "bublod", "bublbez", "bublna", "obdels", "obdelbez", "textna"}) {
    qd::render::Slide s;
    std::string error;
    ASSERT_TRUE(qd::render::readLibrarySlide(lib, name, s, error)) << name << ": " << error;
    EXPECT_EQ(s.width, 300);
    EXPECT_GT(s.vectors.size(), 1u) << name;
    for (const auto& v : s.vectors) EXPECT_TRUE(v.x1 >= 0 && v.x1 <= 300 && v.y2 >= 0 && v.y2 <= 200) << name;
  }
  qd::render::Slide s;
  std::string error;
  EXPECT_FALSE(qd::render::readLibrarySlide(lib, "nosuch", s, error));
  EXPECT_NE(error.find("nosuch"), std::string::npos);
}

TEST(Slides, DamagedSlidesAreRefused) {
  const std::string lib = slideLibrary();
  qd::render::Slide s;
  std::string error;
  // Every cut of the library either reads a whole slide or says why not.
  for (size_t cut = 0; cut < lib.size(); cut += 7) EXPECT_NO_FATAL_FAILURE(qd::render::readLibrarySlide(lib.substr(0, cut), "TEXTNA", s, error));
  EXPECT_FALSE(qd::render::readLibrarySlide(lib.substr(0, lib.size() - 3), "TEXTNA", s, error));
  EXPECT_FALSE(qd::render::readSlide("AutoCAD Slide\r\n\x1a", s, error));
  std::string unknown = std::string("AutoCAD Slide\r\n\x1a\0\x56\x02", 19) + std::string(12, '\0') + "\x00\xF0";
  EXPECT_FALSE(qd::render::readSlide(unknown, s, error));
}

}  // namespace

#include "headless/render/svg.h"
#include "headless/ui/picking.h"
#include "host/acedads.h"

namespace {

TEST(Overlay, TemporaryVectorsShowDashedInThePictureUntilARedraw) {
  AcDbDatabase db(true);
  acdbHostApplicationServices()->setWorkingDatabase(&db);
  const ads_point a = {0, 0, 0}, b = {10, 5, 0};
  ASSERT_EQ(acedGrDraw(a, b, 1, 0), RTNORM);
  qd::ads::RbList vecs(acutBuildList(RTSHORT, 3, RTPOINT, a, RTPOINT, b, 0));
  ASSERT_EQ(acedGrVecs(vecs.get(), nullptr), RTNORM);
  EXPECT_EQ(qd::ui::overlay().size(), 2u);
  const std::string svg = qd::render::modelSpaceSvg(&db, qd::ui::overlay());
  EXPECT_NE(svg.find("stroke-dasharray"), std::string::npos);
  EXPECT_NE(svg.find("#FF0000"), std::string::npos);  // colour 1
  acedRedraw(nullptr, 0);
  EXPECT_TRUE(qd::ui::overlay().empty());
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace
