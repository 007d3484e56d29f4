#include "workspace/LayerMasks.h"

#include "workspace/WorkspaceTree.h"

namespace qd::workspace {

std::u16string paddedSettings(const std::u16string& settings) {
  std::u16string s = settings.substr(0, kSettingsLength);
  s.resize(kSettingsLength, u'X');
  return s;
}

std::u16string& fullSettings() {
  std::u16string& s = settings();
  if (s.size() < kSettingsLength) s = paddedSettings(s);
  return s;
}

std::u16string floorMask(const std::u16string& settings) {
  const std::u16string s = paddedSettings(settings);
  std::u16string mask = u"?????_1*";
  if (s[6] == u'1') mask[0] = s[15];
  mask[5] = s[10];
  mask[6] = s[11];
  return mask;
}

std::u16string exclusionMask(const std::u16string& settings) { return u"~" + floorMask(settings); }

std::u16string currentLayer(const std::u16string& settings, const std::u16string& floor) {
  const std::u16string s = paddedSettings(settings);
  std::u16string layer = u"TVSK0_12";
  if (s[6] == u'1') layer[0] = s[15];
  layer.replace(2, 3, s.substr(12, 3));
  const std::u16string code = floor.size() >= 2 ? floor.substr(0, 2) : s.substr(10, 2);
  layer.replace(5, 2, code);
  return layer;
}

}  // namespace qd::workspace
