// Feeds arbitrary bytes to the parts of the DXF reader that share a large file's work
// between threads, with the sizes that make them share it lowered to a few bytes: the
// check walked in two halves, and the sections' objects parsed in stretches on either
// side. Each must give exactly what one walk in order gives: the same sections and
// handles, the same objects with the same lines, and the same first fault. A difference
// ends the run with what differed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "headless/dxf/parsing_ahead.h"
#include "headless/dxf/survey.h"

namespace {

using qd::dxf::Failure;

[[noreturn]] void differs(const char* what, size_t at = 0) {
  std::fprintf(stderr, "shared work differs from one walk: %s (%zu)\n", what, at);
  std::abort();
}

// A survey, or the fault that stopped it.
struct Checked {
  std::optional<qd::dxf::Survey> survey;
  std::optional<Failure> failure;
};

Checked check(std::string_view text, size_t splitFrom, bool leaveEntities = false) {
  Checked c;
  try {
    c.survey = qd::dxf::surveyText(text, uint64_t{1} << 56, splitFrom, leaveEntities);
  } catch (const Failure& f) {
    c.failure = f;
  }
  return c;
}

void sameFailure(const std::optional<Failure>& a, const std::optional<Failure>& b, const char* what) {
  if (a.has_value() != b.has_value()) differs(what);
  if (a && (a->line != b->line || a->message != b->message)) differs(what, a->line);
}

void sameSurvey(const Checked& one, const Checked& halves) {
  sameFailure(one.failure, halves.failure, "the check's fault");
  if (!one.survey) return;
  if (one.survey->nextHandle != halves.survey->nextHandle) differs("the next handle");
  const auto& a = one.survey->sections;
  const auto& b = halves.survey->sections;
  if (a.size() != b.size()) differs("the number of sections");
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || a[i].offset != b[i].offset || a[i].index != b[i].index || a[i].end != b[i].end)
      differs("a section", i);
}

// Reals compared by their bits: the same text gives the same double.
uint64_t bits(double d) {
  uint64_t u;
  std::memcpy(&u, &d, sizeof u);
  return u;
}
bool samePoint(const AcGePoint3d& a, const AcGePoint3d& b) {
  return bits(a.x) == bits(b.x) && bits(a.y) == bits(b.y) && bits(a.z) == bits(b.z);
}

bool sameTag(const qd::db::Tag& a, const qd::db::Tag& b) {
  return a.code == b.code && a.kind == b.kind && a.str == b.str && bits(a.real) == bits(b.real) &&
         samePoint(a.pt, b.pt) && a.integer == b.integer && a.bytes == b.bytes && a.dims == b.dims;
}

bool sameTags(const qd::db::Tags& a, const qd::db::Tags& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameTag);
}

// The values given, each where its group gave it (a slot used again keeps the others).
bool sameDirect(const qd::db::DirectFields& a, const qd::db::DirectFields& b) {
  using F = qd::db::DirectFields;
  if (a.kind != b.kind) return false;
  if (a.kind == F::Kind::None) return true;
  if (a.given != b.given) return false;
  auto given = [&](F::Given g, bool same) { return !a.has(g) || same; };
  return given(F::kLayer, a.layer == b.layer) && given(F::kLinetype, a.linetype == b.linetype) &&
         given(F::kColor, a.color == b.color) && given(F::kLineWeight, a.lineWeight == b.lineWeight) &&
         given(F::kLtScale, bits(a.ltScale) == bits(b.ltScale)) && given(F::kVisible, a.visible == b.visible) &&
         given(F::kFirst, samePoint(a.first, b.first)) && given(F::kSecond, samePoint(a.second, b.second)) &&
         given(F::kRadius, bits(a.radius) == bits(b.radius)) &&
         given(F::kThickness, bits(a.thickness) == bits(b.thickness)) &&
         given(F::kNormal, bits(a.normal.x) == bits(b.normal.x) && bits(a.normal.y) == bits(b.normal.y) &&
                               bits(a.normal.z) == bits(b.normal.z));
}

void sameObject(const qd::dxf::ParsedObject& a, const qd::dxf::ParsedObject& b, size_t n) {
  if (a.type != b.type || a.line != b.line) differs("an object's type or line", n);
  if (!sameDirect(a.direct, b.direct)) differs("an entity filed straight from its groups", n);
  // Those groups then hold what a slot used again had before.
  const bool direct = a.direct.kind != qd::db::DirectFields::Kind::None;
  if (!direct && !sameTags(a.tags, b.tags)) differs("an object's groups", n);
  const qd::dxf::SharedGroups& s = a.shared;
  const qd::dxf::SharedGroups& t = b.shared;
  if (s.handle.value() != t.handle.value() || s.owner != t.owner || s.extDict != t.extDict || s.reactors != t.reactors)
    differs("an object's shared groups", n);
  if ((!direct && !sameTags(s.xdata, t.xdata)) || s.packedXData != t.packedXData)
    differs("an object's extended data", n);
}

// What parsing a section gave: its objects, copied out of the batches, and its fault.
struct Parsed {
  std::vector<qd::dxf::ParsedObject> objects;
  std::optional<Failure> failure;
  bool fault = false;
  uint64_t nextHandle = 0;  // as the stretches counted their handles
};

Parsed parse(std::string_view text, const qd::dxf::Section& section, bool thread, size_t step) {
  Parsed p;
  // The commonest entities filed straight, as the reader has them.
  qd::dxf::ParsingAhead ahead(text, 0, qd::dxf::GroupCursor(text, section.offset, section.index), section.end,
                              qd::dxf::EntityFiling::Direct, thread, step);
  while (std::unique_ptr<qd::dxf::ParsedBatch> b = ahead.next()) {
    for (size_t i = 0; i < b->count; ++i) p.objects.push_back(b->objects[i]);
    if (b->failure) p.failure = b->failure;
    p.fault = p.fault || b->fault;
    p.nextHandle = std::max(p.nextHandle, b->nextHandle);
    const bool last = b->last;
    ahead.giveBack(std::move(b));
    if (last) break;
  }
  return p;
}

void sameParse(const Parsed& one, const Parsed& stretches) {
  if (one.objects.size() != stretches.objects.size()) differs("the number of objects", one.objects.size());
  for (size_t i = 0; i < one.objects.size(); ++i) sameObject(one.objects[i], stretches.objects[i], i);
  sameFailure(one.failure, stretches.failure, "the parser's fault");
  if (one.fault != stretches.fault) differs("another fault");
  if (!one.failure && !one.fault && one.nextHandle != stretches.nextHandle) differs("the handles counted");
}

// A text the whole check passes is surveyed the same with its entities left to the
// parser, which counts the handles the survey did not, when it parses them all.
void sameLeavingEntities(std::string_view text, const qd::dxf::Survey& whole) {
  const Checked left = check(text, SIZE_MAX, true);
  if (!left.survey) differs("the survey leaving the entities");
  Checked same = left;
  std::optional<qd::dxf::Section> entities;
  for (const qd::dxf::Section& section : whole.sections)
    if (section.name == "ENTITIES" && !entities) entities = section;
  if (left.survey->entitiesLeft != entities.has_value()) differs("whether the entities were left");
  if (entities) {
    // A value's fault (a number that is none) stops the parse before all are counted.
    const Parsed p = parse(text, *entities, false, SIZE_MAX);
    if (p.failure || p.fault) same.survey->nextHandle = whole.nextHandle;
    else same.survey->nextHandle = std::max(same.survey->nextHandle, p.nextHandle);
  }
  Checked wholeChecked;
  wholeChecked.survey = whole;
  sameSurvey(wholeChecked, same);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Checked one = check(text, SIZE_MAX);
  sameSurvey(one, check(text, 0));
  if (!one.survey) return 0;
  sameLeavingEntities(text, *one.survey);
  // A checked text, as the reader parses it: each section in one stretch, then in
  // stretches of a few bytes, on the reader's side alone and on both.
  for (const qd::dxf::Section& section : one.survey->sections) {
    const Parsed whole = parse(text, section, false, SIZE_MAX);
    for (const size_t step : {size_t{1}, size_t{40}, size_t{300}})
      for (const bool thread : {false, true}) sameParse(whole, parse(text, section, thread, step));
  }
  return 0;
}
