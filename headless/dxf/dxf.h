// Reading and writing drawings as ASCII DXF.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "host/dbdatabase.h"

namespace qd::dxf {

// Writes the drawing as DXF of the current version (AC1032, UTF-8) to a string.
std::string write(AcDbDatabase* db);
// Writes to a file through a temporary file renamed into place.
Acad::ErrorStatus writeFile(AcDbDatabase* db, const std::string& path, std::u16string& error);

// How a text is read. LINEs, CIRCLEs, TEXTs and INSERTs, most of a drawing, are filed
// straight from their groups, without a filer between the file and the object; off,
// every object is read through its class's DXF filing (which the quick way must match:
// tests compare).
struct ReadOptions {
  bool directFiling = true;
  // Every group of the text checked before anything of it is built. Otherwise a large
  // drawing's entities are checked as they are parsed, which tells the same faults.
  bool checkAllFirst = false;
  // Told of bytes of the text the reader is done with, a large stretch of a drawing's
  // entities at a time, so that their owner may give back the memory they take.
  std::function<void(const char* from, const char* to)> textDone;
};

// Reads DXF text into an empty database (made without default records). On
// failure `error` names the line and the problem.
Acad::ErrorStatus read(AcDbDatabase* db, std::string_view text, std::u16string& error,
                       const ReadOptions& options = {});
Acad::ErrorStatus readFile(AcDbDatabase* db, const std::string& path, std::u16string& error);

// Names the drawing after its file: DWGNAME and DWGPREFIX (with a closing slash).
void nameDrawing(AcDbDatabase* db, const std::string& path);

}  // namespace qd::dxf
