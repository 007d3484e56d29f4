// The headless host's own dialogs: the colour choice and the text style and linetype
// managers that the host commands open.
acad_colordlg : dialog {
  label = "Select Color";
  : edit_box { key = "color"; label = "Color (0 BYBLOCK, 256 BYLAYER):"; edit_width = 6; }
  ok_cancel_help_errtile;
}

acad_ddstyle : dialog {
  label = "Text Style";
  : row {
    : list_box { key = "styles"; label = "Styles:"; height = 8; width = 24; }
    : column {
      : edit_box { key = "font"; label = "Font file:"; edit_width = 16; }
      : edit_box { key = "height"; label = "Height:"; edit_width = 8; }
      : edit_box { key = "width"; label = "Width factor:"; edit_width = 8; }
      : edit_box { key = "oblique"; label = "Oblique angle:"; edit_width = 8; }
      : button { key = "current"; label = "Set Current"; }
      : button { key = "new"; label = "New..."; }
      : edit_box { key = "name"; label = "New style name:"; edit_width = 16; }
      : button { key = "apply"; label = "Apply"; }
    }
  }
  ok_cancel_help_errtile;
}

acad_ddltype : dialog {
  label = "Linetype Manager";
  : list_box { key = "ltypes"; label = "Linetypes:"; height = 8; width = 30; }
  : row {
    : button { key = "current"; label = "Current"; }
    : edit_box { key = "name"; label = "Load:"; edit_width = 16; }
    : button { key = "load"; label = "Load"; }
  }
  ok_cancel_help_errtile;
}
