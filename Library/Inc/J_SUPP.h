// The support library's message dictionary, error reports and small helpers for
// handles, help, text and 2-D geometry. Every module that links it has its own copy
// of the module-wide state (text buffers, error state).
#pragma once
#include <cstdint>
#include <string>

#include "host/adsdef.h"

namespace qd::support {

// Texts of the sibling message dictionaries (family 1 "qdads0N", 2 "tvads0N", 3
// "jmads0N"). The returned text lives in one of three buffers used in turn, so it
// stays valid for three further calls. A text that cannot be had reads "_?_".
const ACHAR* dictText(short family, short function, short number);
int dictTextTo(short family, short function, short number, ACHAR* buffer, size_t size);
// Text N of the label module: dictionary text 1060 + N of "qdads02".
const ACHAR* moduleText(short n);
// The table module's shortcuts to "qdads01" and "qdads02": no result empties the
// buffer, a string fills it, anything else leaves it as it was; nothing is reported.
void qdads01Text(short number, ACHAR* buffer, size_t size);
void qdads02Text(short number, ACHAR* buffer, size_t size);

// Error reports: the caller names its source and line (QD_ERR does), then Err formats
// and prints "\n<LEVEL> on line <n> of '<source>'\n  '<message>'\n"; level 11 shows an
// alert instead. The command carries on.
void setErrSource(const char* source, int line);
void Err(int level, const ACHAR* format, ...);
int lastErrLevel();
const std::u16string& lastErrMessage();
#define QD_ERR(level, ...) (::qd::support::setErrSource(QD_SOURCE, __LINE__), ::qd::support::Err(level, __VA_ARGS__))

// Prints through acutPrintf in pieces of 130 characters; more than 999 characters is
// itself reported.
void chunkedPrintf(const ACHAR* format, ...);

// A hexadecimal handle (at most 32 digits) plus an increment, as lower-case text in a
// buffer valid until the next call.
const ACHAR* handleAdd(const ACHAR* handle, uint32_t increment);
// The text after the first run of blanks, or null when there is none or only blanks.
const ACHAR* textAfterBlanks(const ACHAR* text);
// Opens the help file at the context.
void showHelp(unsigned context, const ACHAR* helpFile);

// Geometry with the tolerance 0.0001.
bool pointsDiffer(const ads_point p, const ads_point q, bool useZ);
// -1 off the line ab; 0 on the segment; 1 beyond a; 2 beyond b.
int whereOnLine(const ads_point a, const ads_point b, const ads_point p);
// Flags: 1 on the segment, 2 at a (with 1: 3), 4 at b, 8 nearer to b than to a.
int pointOnSegment(const ads_point a, const ads_point b, const ads_point p, bool useZ);
// The crossing of lines a1-a2 and b1-b2 in the x-y plane; with a flag given and not
// zero, the point must lie on that segment. RTNORM or RTERROR.
int segmentIntersection(const ads_point a1, const ads_point a2, const ads_point b1, const ads_point b2,
                        const int* onA, const int* onB, ads_point result);
// From the UCS to the WCS when `direction` is 0, the other way otherwise.
int toUcsOrWcs(const ads_point p, int direction, ads_point result);

}  // namespace qd::support
