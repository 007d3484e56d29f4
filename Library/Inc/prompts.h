// Command-line prompts with keywords and a default, temporary markers, and the yes/no
// question dialog.
#pragma once
#include <string>

#include "host/adsdef.h"

namespace qd::support {

// Prints "\n<message> [Key1/Key2] <default>: "; "_" in the keyword list stands for a
// blank inside a shown keyword. With `standardSuffix` the dictionary's suffix text
// follows the message.
void buildPrompt(const ACHAR* defaultText, const ACHAR* keywords, const ACHAR* message, bool standardSuffix);
// Asks for one of the keywords; Enter gives the default in upper case with RTNORM.
int getKeyword(const ACHAR* defaultKeyword, const ACHAR* keywords, const ACHAR* message, std::u16string& result);
// The keyword list without "_" (at most 511 characters), in a module-wide buffer.
const ACHAR* stripUnderscores(const ACHAR* keywords);
// A temporary cross and a temporary arrowhead.
void markPoint(const ads_point p, int color);
void arrowMark(const ads_point p, double angle, int color);
// The question in the yes/no dialog sized to its length: 1 yes, 0 no, -1 when the
// dialog cannot be shown.
int askYesNo(const ACHAR* question);

}  // namespace qd::support
