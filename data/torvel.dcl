// The yes/no question of the product family, in four widths for questions of up to
// 20, 40, 60 and 75 characters. The question goes into "prmpt", the caption text
// into "header"; "ano" answers yes, "ne" no.
qd_yes_no_buttons : row {
  fixed_width = true;
  alignment = centered;
  : button { key = "ano"; label = "&Ano"; is_default = true; width = 10; }
  : button { key = "ne"; label = "&Ne"; is_cancel = true; width = 10; }
}

qd_yes_no20 : dialog {
  key = "header";
  label = "Dotaz";
  : text { key = "prmpt"; width = 20; }
  qd_yes_no_buttons;
}

qd_yes_no40 : dialog {
  key = "header";
  label = "Dotaz";
  : text { key = "prmpt"; width = 40; }
  qd_yes_no_buttons;
}

qd_yes_no60 : dialog {
  key = "header";
  label = "Dotaz";
  : text { key = "prmpt"; width = 60; }
  qd_yes_no_buttons;
}

qd_yes_no75 : dialog {
  key = "header";
  label = "Dotaz";
  : text { key = "prmpt"; width = 75; }
  qd_yes_no_buttons;
}
