// The call-backs the manager finds by name in the host module that loads it: host
// variables, the command line for layer commands, code lists, picks. A slot left empty
// is a call-back the module does not offer; every optional one is checked before use.
#pragma once

namespace qd::workspace {

using GetEnvFn = int (*)();
using GetVarStrFn = void (*)(const char16_t* name, char16_t* buffer);  // buffer of 260
using GetVarIntFn = int (*)(const char16_t* name);
using CommandFn = int (*)(const char16_t* token);  // 5100 when accepted; "" ends the command
using PauseFn = void (*)(const char16_t* prompt);
using SetSectionFn = void (*)(const char16_t* code);
using MakeLayerFn = void (*)(const char16_t* layer, int kind);
using ConstructionFn = void (*)(char16_t* buffer, int kind, int one);
using CurrentConstructionFn = void (*)(char16_t* buffer);
using PickLayerFn = int (*)(char16_t* buffer);  // 8 construction, 16 general, <= 7 nothing
using FillFn = int (*)(int next, char16_t* buffer);  // >= 0 an entry, < 0 the end

constexpr int kAccepted = 5100;
constexpr int kBufferLength = 260;

struct HostCalls {
  GetEnvFn getQDSTRATenv = nullptr;
  GetVarStrFn getVarStr = nullptr;
  GetVarIntFn getVarInt = nullptr;
  CommandFn doAdsCommand = nullptr;
  PauseFn doAdsPause = nullptr;
  SetSectionFn setSection = nullptr;
  MakeLayerFn vytvorSkicu = nullptr;
  ConstructionFn konstrukce = nullptr;
  CurrentConstructionFn getAktKon = nullptr;
  PickLayerFn vyberLayer = nullptr;
  FillFn fillSekce = nullptr, fillModuly = nullptr, fillPodlazi = nullptr, fillKonstrukce = nullptr,
         fillObHladiny = nullptr, fillZobrazeni = nullptr, fillHladiny = nullptr;
};

// Binds the call-backs of the module named (its own name, as the host knows it) by their
// exact names. False when the module is not loaded.
bool bindHostCalls(const char16_t* moduleName, HostCalls& calls, bool lightOnly);

}  // namespace qd::workspace
