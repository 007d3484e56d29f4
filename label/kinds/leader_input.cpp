// The leaders of a label as the user draws them: from the anchor to each element, one
// segment each or broken ones, the last ones taken back by a keyword.
#include "Library/Inc/J_SUPP.h"
#include "host/acedads.h"
#include "host/adslib.h"
#include "label/kinds/leader_label.h"

namespace qd::label {
namespace {

void drawSegment(const leader_segment& s) {
  ads_point a, b;
  toUser(s.start, a);
  toUser(s.end, b);
  acedGrDraw(a, b, -1, 0);
}

// What is left after a take-back is drawn again on a clean view.
void redrawLeaders(const leader_label& k) {
  acedRedraw(nullptr, 1);
  for (const leader& l : k.leaders)
    for (const leader_segment& s : l) drawSegment(s);
}

// The end moved onto the nearest point of an object there, when there is one.
void snapEnd(leader_segment& s, double elevation) {
  ads_point at, snapped;
  toUser(s.end, at);
  if (acedOsnap(at, u"_nea", snapped) != RTNORM) return;
  s.end = toWorld(snapped, elevation);
  s.snapped = true;
}

int askPoint(const AcGePoint3d& from, short keywords, short prompt, ads_point out) {
  ads_point base;
  toUser(from, base);
  acedInitGet(0, qd::support::moduleText(keywords));
  return acedGetPoint(base, qd::support::moduleText(prompt), out);
}

// The further points of a broken leader. Enter ends it snapped, Esc unsnapped; the
// keyword takes its last segment back, and with its only one the leader itself.
void continueLeader(leader_label& k) {
  leader& current = k.leaders.back();
  for (;;) {
    ads_point p;
    const int rc = askPoint(current.back().end, 36, 37, p);
    if (rc == RTNORM) {
      current.push_back({current.back().end, toWorld(p, k.elevation), false});
      drawSegment(current.back());
      continue;
    }
    if (rc == RTNONE) return snapEnd(current.back(), k.elevation);
    if (rc == RTKWORD) {
      current.pop_back();
      redrawLeaders(k);
      if (current.empty()) return k.leaders.pop_back();
      continue;
    }
    return;
  }
}

}  // namespace

int snappedPoint(const ads_point* from, short prompt, double elevation, AcGePoint3d& out, int flags) {
  acedInitGet(flags, qd::support::moduleText(34));
  ads_point p, snapped;
  const int rc = acedGetPoint(from ? *from : nullptr, qd::support::moduleText(prompt), p);
  if (rc != RTNORM) return rc;
  if (acedOsnap(p, u"_nea", snapped) == RTNORM) ads_point_set(snapped, p);
  out = toWorld(p, elevation);
  return RTNORM;
}

LeaderInput askLeaders(leader_label& k, const AcGePoint3d& from) {
  k.leaders.clear();
  for (;;) {
    ads_point p;
    const int rc = askPoint(from, 34, 35, p);
    if (rc == RTNONE) return LeaderInput::Done;
    if (rc == RTKWORD) {
      if (k.leaders.empty()) return LeaderInput::TakenBack;
      k.leaders.pop_back();
      redrawLeaders(k);
      continue;
    }
    if (rc != RTNORM) return LeaderInput::Abandoned;
    k.leaders.push_back({{from, toWorld(p, k.elevation), false}});
    if (k.reference_simple) snapEnd(k.leaders.back().back(), k.elevation);
    drawSegment(k.leaders.back().back());
    if (!k.reference_simple) continueLeader(k);
  }
}

}  // namespace qd::label
