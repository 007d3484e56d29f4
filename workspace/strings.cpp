#include "workspace/strings.h"

namespace qd::workspace {

const char16_t* text(int number) {
  switch (number) {
    case 78: return u"Exportieren in Datei";
    case 95: return u"Setzen: %s";
    case 96: return u"Sperren: %s ";
    case 100: return u"\nZum Beenden der Ansicht drücke ENTER...";
    case 101: return u"? ??? (Alle Bauteile)";
    case 102: return u"? ??# (Äußere Bauteile)";
    case 103: return u"? ??@ (Innere Bauteile)";
    case 104: return u"Getaute Layer sperren ?";
    case 105: return u"Sperren";
    case 111: return u"? Alle Sektionen";
    case 112: return u"? Alle Module";
    case 114: return u"??? Alle Allg.Laye";
    case 115: return u"?? Alle Ebenen";
    case 116: return u"* Alle Darstellungsarten";
    case 130: return u"MNU ...";
    case 131: return u"setzen";
    case 132: return u"sperren";
    case 133: return u" (getaute)";
    default: return u"";
  }
}

}  // namespace qd::workspace
