// The purge tool's dialogs: the main dialog "purge" with the five kinds, the review of
// one kind "purge1", the confirmation "anone", the protection masks "nopurgeable" and
// the mask input "input_msk".
purge : dialog {
  label = "Čištění výkresu";
  : boxed_column {
    label = "Nepoužité pojmenované objekty";
    : button { key = "block"; label = "&Bloky..."; }
    : button { key = "layer"; label = "&Hladiny..."; }
    : button { key = "line"; label = "&Typy čar..."; }
    : button { key = "dim"; label = "&Kótovací styly..."; }
    : button { key = "style"; label = "&Textové styly..."; }
  }
  : row {
    : button { key = "all"; label = "Vyčistit &vše..."; }
    : button { key = "nopurgeable"; label = "&Chráněné masky..."; }
  }
  : text { key = "error"; width = 40; }
  : row {
    : button { key = "cancel"; label = "Konec"; is_cancel = true; }
    : button { key = "help"; label = "&Nápověda"; }
  }
}

purge1 : dialog {
  label = "Čištění - přehled";
  : row {
    : list_box { key = "list"; label = "Budou vymazány:"; height = 12; width = 30; }
    : column {
      : button { key = "add"; label = "Ponechat >>"; }
      : button { key = "rem"; label = "<< Vymazat"; }
    }
    : list_box { key = "list1"; label = "Budou ponechány:"; height = 12; width = 30; }
  }
  : row {
    : edit_box { key = "mask_edit"; label = "Maska:"; edit_width = 31; edit_limit = 31; }
    : button { key = "add_mask"; label = "Chránit &masku"; }
  }
  : text { key = "error"; width = 40; }
  : row {
    : button { key = "purge"; label = "&Vyčistit"; }
    : button { key = "cancel"; label = "Zpět"; is_cancel = true; }
    : button { key = "help"; label = "&Nápověda"; }
  }
}

anone : dialog {
  label = "Vyčistit vše";
  : text { label = "Vymazat všechny nepoužité a nechráněné objekty?"; }
  : row {
    : button { key = "purge"; label = "&Vyčistit"; is_default = true; }
    : button { key = "cancel"; label = "Zrušit"; is_cancel = true; }
  }
}

nopurgeable : dialog {
  label = "Chráněné masky";
  : row {
    : radio_column {
      key = "type";
      value = "1";
      : radio_button { key = "1"; label = "Bloky"; value = "1"; }
      : radio_button { key = "2"; label = "Hladiny"; }
      : radio_button { key = "3"; label = "Typy čar"; }
      : radio_button { key = "4"; label = "Kótovací styly"; }
      : radio_button { key = "5"; label = "Textové styly"; }
    }
    : list_box { key = "list"; label = "Masky:"; height = 10; width = 30; }
  }
  : row {
    : button { key = "add"; label = "&Přidat..."; }
    : button { key = "delete"; label = "&Odebrat"; }
  }
  : text { key = "error"; width = 40; }
  : row {
    : button { key = "cancel"; label = "Zavřít"; is_cancel = true; }
    : button { key = "help"; label = "&Nápověda"; }
  }
}

input_msk : dialog {
  label = "Nová maska";
  : edit_box { key = "edit"; label = "Maska:"; edit_width = 31; edit_limit = 31; }
  : row {
    : button { key = "ok"; label = "OK"; is_default = true; }
    : button { key = "cancel"; label = "Zrušit"; is_cancel = true; }
  }
}
