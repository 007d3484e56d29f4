// The layer-name masks the manager's commands and menu items are made of, built from the
// settings string: a floor's layers, all but a floor's layers, the current layer.
#pragma once
#include <string>

namespace qd::workspace {

// The settings string as long as the positions read from it, filled with "X".
std::u16string paddedSettings(const std::u16string& settings);
// The process-wide settings string, padded so first: every position can be read and set.
std::u16string& fullSettings();
// "?????_1*": the section first when the section filter is on, then the floor code.
std::u16string floorMask(const std::u16string& settings);
// "~?????_1*" likewise.
std::u16string exclusionMask(const std::u16string& settings);
// "TVSK0_12": the section, the construction and the floor (the settings' own, or the
// one given) in their places.
std::u16string currentLayer(const std::u16string& settings, const std::u16string& floor = {});

}  // namespace qd::workspace
