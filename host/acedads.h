// The editor's ADS functions: LISP functions defined by modules, user input, the
// command line, and commands sent to the host.
#pragma once
#include <cstddef>
#include "host/adsdef.h"

// LISP functions a module defines for the current drawing.
int acedDefun(const ACHAR* sname, int funcno);
int acedUndef(const ACHAR* sname, int funcno);
int acedGetFunCode();
resbuf* acedGetArgs();
int acedRegFunc(int (*fhdl)(), int fcode);
int acedRetVoid();
int acedRetNil();
int acedRetT();
int acedRetStr(const ACHAR* s);
int acedRetInt(int ival);
int acedRetReal(ads_real rval);
int acedRetPoint(const ads_point pt);
int acedRetName(const ads_name aname, int type);
int acedRetVal(const resbuf* rbuf);
int acedRetList(const resbuf* rbuf);
// Calls a LISP function by name: `args` starts with the name as RTSTR.
int acedInvoke(const resbuf* args, resbuf** result);

// Commands sent to the host; each runs to completion before the call returns.
// Arguments are (type, value) pairs ended by RTNONE (or 0).
int acedCommand(int rtype, ...);
int acedCmd(const resbuf* rbp);

// User input. Results are RTNORM, RTNONE (Enter where allowed), RTKWORD (a keyword
// was given, see acedGetInput) or RTCAN (cancel).
#define RSG_NONULL 0x0001
#define RSG_NOZERO 0x0002
#define RSG_NONEG 0x0004
#define RSG_NOLIM 0x0008
#define RSG_GETZ 0x0010
#define RSG_DASH 0x0020
#define RSG_2D 0x0040
#define RSG_OTHER 0x0080
#define RSG_DDISTFIRST 0x0100
#define RSG_TRACKUCS 0x0200
#define RSG_NOORTHOZ 0x0400
#define RSG_NOOSNAP 0x0800
#define RSG_NODDIST 0x1000
int acedInitGet(int val, const ACHAR* kwl);
int acedGetInput(ACHAR* str);
int acedGetPoint(const ads_point pt, const ACHAR* prompt, ads_point result);
int acedGetCorner(const ads_point pt, const ACHAR* prompt, ads_point result);
int acedGetDist(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetAngle(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetOrient(const ads_point pt, const ACHAR* prompt, ads_real* result);
int acedGetInt(const ACHAR* prompt, int* result);
int acedGetReal(const ACHAR* prompt, ads_real* result);
int acedGetString(int cronly, const ACHAR* prompt, ACHAR* result, size_t bufLen = 132);
int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t bufLen = 132);
int acedEntSel(const ACHAR* str, ads_name entres, ads_point ptres);
int acedNEntSelP(const ACHAR* str, ads_name entres, ads_point ptres, int pickflag, ads_matrix xformres,
                 resbuf** refstkres);
int acedOsnap(const ads_point pt, const ACHAR* mode, ads_point result);
int acedPrompt(const ACHAR* str);
int acedAlert(const ACHAR* str);
int acedRedraw(const ads_name ent, int mode);
int acedGrDraw(const ads_point from, const ads_point to, int color, int hl);
int acedGrVecs(const resbuf* vlist, ads_matrix mat);
int acedGrText(int box, const ACHAR* text, int hl);
int acedUsrBrk();

// Dragging a selection set: the callback gets each cursor position and may change the
// transform it returns; returning RTCAN ends the drag.
int acedDragGen(const ads_name ss, const ACHAR* pmt, int cursor,
                int (*scnf)(ads_point pt, ads_matrix mt), ads_point p);
int acedXformSS(const ads_name ssname, ads_matrix genmat);

// Help requests, which the headless host writes to the transcript.
int acedHelp(const ACHAR* szFilename, const ACHAR* szTopic, int iCmd);
