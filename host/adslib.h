// The ADS functions: result buffers, entity lists, selection sets, variables,
// conversions and geometry helpers.
#pragma once
#include "host/adsdef.h"
#include "host/dbmain.h"

resbuf* acutNewRb(int type);
int acutRelRb(resbuf* rb);
// Builds a list from (type, value) pairs ended by 0 (RTNONE ends too). Strings are copied.
resbuf* acutBuildList(int type, ...);
ACHAR* acutNewString(const ACHAR* text);
// Frees a string made by acutNewString (or handed out by a filer) and clears the pointer.
void acutDelString(ACHAR*& text);
int acutPrintf(const ACHAR* format, ...);
int acutSPrintf(ACHAR* buffer, size_t size, const ACHAR* format, ...);

int acdbEntMake(const resbuf* entList);
int acdbEntMakeX(const resbuf* entList, ads_name result);
int acdbEntMod(const resbuf* entList);
resbuf* acdbEntGet(const ads_name ent);
resbuf* acdbEntGetX(const ads_name ent, const resbuf* apps);
int acdbEntDel(const ads_name ent);
int acdbEntLast(ads_name result);
int acdbEntNext(const ads_name ent, ads_name result);
int acdbEntUpd(const ads_name ent);
int acdbHandEnt(const ACHAR* handle, ads_name entres);
resbuf* acdbTblSearch(const ACHAR* table, const ACHAR* name, int setNext);
resbuf* acdbTblNext(const ACHAR* table, int rewind);
int acdbTblObjName(const ACHAR* table, const ACHAR* name, ads_name result);
int acdbRegApp(const ACHAR* appName);
Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& id, const ads_name name);
Acad::ErrorStatus acdbGetAdsName(ads_name name, AcDbObjectId id);

int acedSSGet(const ACHAR* mode, const void* arg1, const void* arg2, const resbuf* filter, ads_name ss);
int acedSSAdd(const ads_name ename, const ads_name sname, ads_name result);
int acedSSDel(const ads_name ename, const ads_name ss);
int acedSSName(const ads_name ss, int32_t i, ads_name entres);
int acedSSLength(const ads_name ss, int32_t* len);
int acedSSFree(const ads_name sname);
int acedSSMemb(const ads_name ename, const ads_name ss);

int acedGetVar(const ACHAR* sym, resbuf* result);
int acedSetVar(const ACHAR* sym, const resbuf* value);
int acedGetEnv(const ACHAR* sym, ACHAR* var, size_t len);
int acedSetEnv(const ACHAR* sym, const ACHAR* val);
int acedGetSym(const ACHAR* sname, resbuf** value);
int acedPutSym(const ACHAR* sname, resbuf* value);
int acedFindFile(const ACHAR* fname, ACHAR* result, size_t len);

int acutWcMatch(const ACHAR* string, const ACHAR* pattern);
int acdbRToS(ads_real val, int unit, int prec, ACHAR* str, size_t len = 0);
int acdbAngToS(ads_real val, int unit, int prec, ACHAR* str, size_t len = 0);
int acdbAngToF(const ACHAR* str, int unit, ads_real* value);
int acdbDisToF(const ACHAR* str, int unit, ads_real* value);
void acutPolar(const ads_point pt, ads_real angle, ads_real dist, ads_point ptres);
ads_real acutAngle(const ads_point pt1, const ads_point pt2);
ads_real acutDistance(const ads_point pt1, const ads_point pt2);
// from/to: RTSHORT 0 world, 1 user, 2 display; or RTENAME for an entity's own system.
int acedTrans(const ads_point pt, const resbuf* from, const resbuf* to, int disp, ads_point result);
int acdbInters(const ads_point from1, const ads_point to1, const ads_point from2, const ads_point to2,
               int teston, ads_point result);
// The box of a text described by an entity list, relative to its insertion point
// and unrotated: lower-left and upper-right corners.
int acedTextBox(const resbuf* args, ads_point pt1, ads_point pt2);
