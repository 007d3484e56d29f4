// DESC_PAR: the entity that keeps the label settings and the label rows of all 27
// [variant][kind] slots in the drawing (in the block "TVHK_DEF_BE"). It draws nothing
// and files only through the binary filer.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/dbmain.h"
#include "label/settings/var_set.h"

namespace qd::label {
// A row list: the head node always exists; a node may carry no text.
using RowList = std::vector<std::optional<std::u16string>>;
}  // namespace qd::label

class DESC_PAR : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(DESC_PAR);
  DESC_PAR();
  ~DESC_PAR() override;
  // Deletes the class at unload.
  static void rxUninit();

  qd::label::var_set& settings() { return *m_settings; }
  qd::label::RowList& rows(int variant, int kind) { return m_rows[variant][kind]; }

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  std::unique_ptr<qd::label::var_set> m_settings;
  qd::label::RowList m_rows[qd::label::kVariants][qd::label::kKinds];
};
