// The LISP subset of session scripts and the command line: values, the reader, the
// printer, conversion to and from result buffers, and the evaluator.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/adsdef.h"

namespace qd::lisp {

// Lists nested deeper than this are refused when read, converted or made, well before
// the recursion of reading, printing and evaluating could exhaust the stack.
constexpr int kMaxDepth = 256;

// The host's LISP integers are 32-bit and wrap on overflow.
int32_t wrapInt(int64_t n);

struct Value {
  enum class Kind { Nil, T, Int, Real, Str, Sym, List, Ename, PickSet };
  Kind kind = Kind::Nil;
  int64_t integer = 0;
  double real = 0;
  std::u16string text;        // Str, Sym (upper case)
  std::vector<Value> items;   // List
  bool dotted = false;        // (a . b): the last item is the cdr
  int64_t name[2] = {0, 0};   // Ename, PickSet
  int depth = 0;              // how deep lists nest in this value: 0 for an atom

  static Value nil() { return {}; }
  static Value t();
  static Value ofInt(int64_t v);
  static Value ofReal(double v);
  static Value ofStr(std::u16string s);
  static Value ofSym(std::u16string s);
  static Value ofList(std::vector<Value> items);
  static Value ofName(Kind kind, const ads_name n);
  bool isNil() const { return kind == Kind::Nil || (kind == Kind::List && items.empty()); }
  bool isNumber() const { return kind == Kind::Int || kind == Kind::Real; }
  double number() const { return kind == Kind::Int ? static_cast<double>(integer) : real; }
  // A list of two or three numbers reaches a function as a point.
  bool isPoint() const;
};

// Reads every expression of the text. 'x is (quote x). On error, `error` says what and
// where, and nothing is returned.
bool read(std::u16string_view text, std::vector<Value>& out, std::u16string& error);
// As the host prints a value at the command line.
std::u16string print(const Value& v);
// As princ writes it: strings without quotes.
std::u16string princText(const Value& v);

// The result-buffer form functions receive and return.
resbuf* toResbuf(const Value& v);
resbuf* toResbufList(const std::vector<Value>& args);
// The arguments of an external function: only lists of two or three reals are points;
// other lists arrive as lists, ended as the caller wrote them.
resbuf* toArgumentList(const std::vector<Value>& args);
// An entity-list group: (code . value) or (code x y [z]) becomes a buffer of that code.
resbuf* toGroupResbuf(const Value& v);
// Reads one value from a chain and advances it; a whole chain of several values is a list.
Value fromResbuf(const resbuf*& rb);
Value fromResbufChain(const resbuf* rb);
// As above; fails with a message when the chain nests lists deeper than kMaxDepth or
// does not close them.
bool fromResbufChain(const resbuf* rb, Value& out, std::u16string& error);

// Evaluates expressions. Variables live with the host's LISP symbols (acedGetSym and
// acedPutSym see them); functions not built in are called through `external`.
class Interpreter {
 public:
  // Calls a function defined elsewhere: returns false when no such function exists.
  // `status` is the call's result code, `result` its value.
  using External = std::function<bool(const std::u16string& name, const std::vector<Value>& args, int& status,
                                      Value& result)>;
  explicit Interpreter(External external) : m_external(std::move(external)) {}
  // On failure returns false and puts the host's style of message into `error`.
  bool eval(const Value& expr, Value& result, std::u16string& error);

 private:
  bool apply(const std::u16string& name, const std::vector<Value>& args, Value& result, std::u16string& error);
  bool call(const std::u16string& name, const std::vector<Value>& args, Value& result, std::u16string& error);
  External m_external;
};

}  // namespace qd::lisp
