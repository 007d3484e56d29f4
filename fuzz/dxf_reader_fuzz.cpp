// Feeds arbitrary bytes to the DXF reader: it must refuse bad input with a message,
// never crash, and leave a drawing that can still be written, the same whether the
// commonest entities are filed straight from their groups or through their classes'
// filing. The module classes are registered, so damaged label settings (DESC_PAR) and
// arrows (HXARROW) are read through their own filing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "arrow/Hxarrow.h"
#include "headless/db/database_impl.h"
#include "headless/dxf/dxf.h"
#include "headless/render/svg.h"
#include "label/DESC_PAR.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = [] {
    qd::db::registerBuiltinClasses();
    DESC_PAR::rxInit();
    Hxarrow::rxInit();
    acrxBuildClassHierarchy();
    return true;
  }();
  (void)registered;
  AcDbDatabase db(false);
  std::u16string error;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const Acad::ErrorStatus es = qd::dxf::read(&db, text, error);
  // Entities filed straight from their groups make what their classes' filing
  // makes of them: the same drawing, or the same fault.
  AcDbDatabase general(false);
  std::u16string generalError;
  qd::dxf::ReadOptions throughFilers;
  throughFilers.directFiling = false;
  if (qd::dxf::read(&general, text, generalError, throughFilers) != es || generalError != error)
    std::abort();
  if (es != Acad::eOk) return 0;
  if (qd::dxf::write(&db) != qd::dxf::write(&general)) std::abort();
  if (qd::render::modelSpaceSvg(&db) != qd::render::modelSpaceSvg(&general)) std::abort();
  return 0;
}
