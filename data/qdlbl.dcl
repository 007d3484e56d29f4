// The label module's dialogs: the label dialog "qdlbl", the kind panel "imagepanel",
// the label library "library" with its save dialog "save_txt" and the questions
// "varovani" and "delete", the element choice "dilec", and the settings of the nine
// label kinds "typ1" to "typ9".

// ---- pieces shared by the settings dialogs ----

// A size on the sheet and the same size in drawing units.
qd_sizes_head : row {
  : text { label = ""; width = 18; }
  : text { label = "Papír [mm]"; width = 10; }
  : text { label = "Výkres"; width = 10; }
}

qd_text_frame : boxed_column {
  label = "Text";
  : row {
    : toggle { key = "width_char"; label = "Zadávat v jednotkách výkresu"; }
    : toggle { key = "bold_line"; label = "Tučně"; }
  }
  qd_sizes_head;
  : row {
    : text { label = "Výška textu:"; width = 18; }
    : edit_box { key = "heighttext_sc"; edit_width = 8; edit_limit = 9; }
    : edit_box { key = "heighttext_re"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    key = "space_row";
    : text { label = "Rozteč řádků:"; width = 18; }
    : edit_box { key = "edit_space_sc"; edit_width = 8; edit_limit = 9; }
    : edit_box { key = "edit_space_re"; edit_width = 8; edit_limit = 9; }
    : button { key = "space"; label = "Odměřit <"; fixed_width = true; }
  }
  : row {
    : text { label = "Šířkový faktor:"; width = 18; }
    : edit_box { key = "widthtext"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    : popup_list { key = "text_style"; label = "Styl:"; edit_width = 20; }
    : button { key = "style"; label = "Styly..."; fixed_width = true; }
  }
  : row {
    : popup_list { key = "text_pos"; label = "Zarovnání:"; edit_width = 20; }
    : image_button { key = "text_pos_im"; width = 8; height = 3; color = 0; fixed_width = true; }
  }
  : row {
    : button { key = "color_text"; label = "Barva textu..."; fixed_width = true; }
    : image { key = "image_color_text"; width = 4; height = 1.2; fixed_width = true; }
  }
}

qd_ref_line : boxed_column {
  label = "Odkazová čára";
  : toggle { key = "x_ref"; label = "Kreslit odkazovou čáru"; }
  : radio_row {
    key = "r_line";
    : radio_button { key = "simple"; label = "Jednoduchá"; }
    : radio_button { key = "break"; label = "Lomená"; }
  }
  : toggle { key = "bold_line_rl"; label = "Tučně"; }
  : row {
    : button { key = "color_ref_line"; label = "Barva..."; fixed_width = true; }
    : image { key = "image_ref_line"; width = 4; height = 1.2; fixed_width = true; }
  }
  : row {
    : text { key = "type_line"; label = "CONTINUOUS"; width = 18; }
    : button { key = "ltype"; label = "Typ čáry..."; fixed_width = true; }
  }
}

qd_marks_at_ends : boxed_column {
  label = "Značky na koncích odkazů";
  : toggle { key = "along_pos"; label = "Značka podle přichycení"; }
  : toggle { key = "bold_line_fr"; label = "Tučně"; }
  : row {
    : text { label = "Velikost:"; width = 18; }
    : edit_box { key = "edit_fr_sc"; edit_width = 8; edit_limit = 9; }
    : edit_box { key = "edit_fr_re"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    : button { key = "colr_fr"; label = "Barva..."; fixed_width = true; }
    : image { key = "image_color_fr"; width = 4; height = 1.2; fixed_width = true; }
  }
  : row {
    : column {
      : text { key = "text_fr_txt_0"; label = "Přichycený konec"; }
      : image_button { key = "image_btn_fr_0"; width = 8; height = 2.5; color = 0; }
    }
    : column {
      : text { key = "text_fr_txt_1"; label = "Volný konec"; }
      : image_button { key = "image_btn_fr_1"; width = 8; height = 2.5; color = 0; }
    }
    : column {
      : text { key = "text_fr_txt_2"; label = "Bez přichycení"; }
      : image_button { key = "image_btn_fr_2"; width = 8; height = 2.5; color = 0; }
    }
  }
}

qd_attach_line : boxed_column {
  label = "Připojovací čára";
  key = "lenght_attach_line";
  : toggle { key = "attachline"; label = "Kreslit připojovací čáru"; }
  : toggle { key = "perpen_text"; label = "Kolmo k textu"; }
  : row {
    : text { label = "Délka:"; width = 18; }
    : edit_box { key = "ed_attch_ln_sc"; edit_width = 8; edit_limit = 9; }
    : edit_box { key = "ed_attch_ln_re"; edit_width = 8; edit_limit = 9; }
  }
}

qd_text_line_length : boxed_radio_column {
  key = "lenght_text_line";
  label = "Délka čáry pod textem";
  : radio_button { key = "lenght_user"; label = "Zadaná"; }
  : radio_button { key = "lenght_text"; label = "Podle textu"; }
  : radio_button { key = "lenght_long_text"; label = "Podle nejdelšího řádku"; }
}

qd_text_line : boxed_column {
  label = "Čára pod textem";
  key = "lenght_for";
  : toggle { key = "lenght_along"; label = "Délka podle textu"; }
  : toggle { key = "bold_textline"; label = "Tučně"; }
  : row {
    key = "row_disable";
    : text { label = "Délka:"; width = 18; }
    : edit_box { key = "edit_lenght_sc"; edit_width = 8; edit_limit = 9; }
    : edit_box { key = "edit_lenght_re"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    : button { key = "color_text_line"; label = "Barva..."; fixed_width = true; }
    : image { key = "image_color_text_line"; width = 4; height = 1.2; fixed_width = true; }
  }
}

qd_bubble : boxed_column {
  label = "Bublina";
  : radio_row {
    key = "number_row";
    : radio_button { key = "row1"; label = "Jeden řádek"; }
    : radio_button { key = "row2"; label = "Dva řádky"; }
  }
  : row {
    key = "divide_line";
    : toggle { key = "bold_div_ln"; label = "Dělicí čára tučně"; }
    : button { key = "colorline"; label = "Barva..."; fixed_width = true; }
    : image { key = "colorimagline"; width = 4; height = 1.2; fixed_width = true; }
  }
  : radio_row {
    key = "height_bubble";
    : radio_button { key = "hgt_mul"; label = "Násobek výšky textu"; }
    : radio_button { key = "dmt_crc"; label = "Průměr"; }
  }
  : row {
    : text { label = "Násobek:"; width = 18; }
    : edit_box { key = "edit_mul_height"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    key = "in_dia_cir";
    : text { label = "Průměr:"; width = 18; }
    : edit_box { key = "input_dia_cir_sc"; edit_width = 8; edit_limit = 9; }
    : edit_box { key = "input_dia_cir_re"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    : toggle { key = "bold_ln_bubb"; label = "Kružnice tučně"; }
    : button { key = "color_crcl"; label = "Barva..."; fixed_width = true; }
    : image { key = "img_crcl_col"; width = 4; height = 1.2; fixed_width = true; }
  }
}

qd_frame_marks : boxed_column {
  label = "Rámeček";
  : row {
    : toggle { key = "width_mark"; label = "Šířka zadaná"; }
    : toggle { key = "height_mark"; label = "Výška zadaná"; }
  }
  : row {
    key = "input_width";
    : text { label = "Šířka:"; width = 18; }
    : edit_box { key = "edt_wdth_mk_sc"; edit_width = 8; edit_limit = 9; }
    : edit_box { key = "edt_wdth_mk_re"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    key = "input_height";
    : text { label = "Výška:"; width = 18; }
    : edit_box { key = "edt_hght_mk_sc"; edit_width = 8; edit_limit = 9; }
    : edit_box { key = "edt_hght_mk_re"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    : text { label = "Násobek výšky:"; width = 18; }
    : edit_box { key = "edt_hght_mul"; edit_width = 8; edit_limit = 9; }
  }
  : row {
    : toggle { key = "bold_line_mark"; label = "Tučně"; }
    : button { key = "color_mark"; label = "Barva..."; fixed_width = true; }
    : image { key = "image_color_mark"; width = 4; height = 1.2; fixed_width = true; }
  }
  : row {
    : popup_list { key = "pos_mark"; label = "Bod vložení:"; edit_width = 14;
                   list = "Střed\nVlevo nahoře\nNahoře\nVpravo nahoře\nVlevo\nVpravo\nVlevo dole\nDole\nVpravo dole"; }
    : image_button { key = "pos_mk_image"; width = 8; height = 2.5; color = 0; fixed_width = true; }
  }
}

qd_text_rotation : toggle { key = "text_rotat"; label = "Text rovnoběžně s čárou"; }

qd_settings_buttons : column {
  errtile;
  : row {
    fixed_width = true;
    alignment = centered;
    : button { key = "accept"; label = "OK"; is_default = true; width = 12; }
    : button { key = "cancel"; label = "Zrušit"; is_cancel = true; width = 12; }
    : button { key = "help"; label = "Nápověda"; width = 12; }
  }
}

// ---- the label dialog ----

qdlbl : dialog {
  key = "popis";
  label = "QDLBL - Popisy";
  : row {
    : boxed_column {
      label = "Řádky popisu";
      : list_box { key = "text"; height = 9; width = 46; }
      : edit_box { key = "edit_txt"; label = "Text:"; edit_width = 40; edit_limit = 255; allow_accept = false; }
      : row {
        : button { key = "ins_row"; label = "Vložit řádek"; }
        : button { key = "del_row"; label = "Smazat řádek"; }
        : button { key = "del_all"; label = "Smazat vše"; }
      }
      : row {
        : button { key = "ampr"; label = "Odsazení"; }
        : button { key = "plmn"; label = "±"; width = 4; fixed_width = true; }
        : button { key = "prum"; label = "Ø"; width = 4; fixed_width = true; }
        : button { key = "grad"; label = "°"; width = 4; fixed_width = true; }
        : button { key = "ndtr"; label = "Nadtržení"; }
        : button { key = "podtr"; label = "Podtržení"; }
        : button { key = "numbubl"; label = "Číslo"; }
      }
      : row {
        : button { key = "library"; label = "Knihovna..."; }
        : button { key = "uloz"; label = "Uložit do knihovny..."; }
        : button { key = "textpodle"; label = "Texty z výkresu <"; }
      }
    }
    : column {
      : boxed_column {
        label = "Druh popisu";
        : image_button { key = "image1"; width = 22; height = 5; color = 0; }
        : button { key = "param"; label = "Nastavení druhu..."; }
      }
      : boxed_radio_row {
        key = "mask";
        label = "Varianta";
        : radio_button { key = "typ1"; label = "I."; }
        : radio_button { key = "typ2"; label = "II."; }
        : radio_button { key = "typ3"; label = "III."; }
      }
      : boxed_column {
        label = "Text";
        : row { : text { label = "Výška:"; width = 8; } : text { key = "height_txt"; width = 10; } }
        : row { : text { label = "Šířka:"; width = 8; } : text { key = "width_txt"; width = 10; } }
        : row { : text { label = "Styl:"; width = 8; } : text { key = "textstyle"; width = 16; } }
        : row { : text { label = "Měřítko:"; width = 8; } : text { key = "scale"; width = 10; } }
      }
      : boxed_column {
        key = "col_angle";
        label = "Úhel textu";
        : row {
          : edit_box { key = "angle_edit"; edit_width = 10; edit_limit = 10; }
          : button { key = "input_angle"; label = "<"; width = 4; fixed_width = true; }
        }
      }
    }
  }
  : boxed_row {
    label = "Volby";
    : column {
      : toggle { key = "color"; label = "Barva podle hladiny"; }
      : toggle { key = "by_scale"; label = "Velikosti podle měřítka"; }
    }
    : column {
      : toggle { key = "bind"; label = "Vázat na prvek"; }
      : toggle { key = "x_insert"; label = "Opakovat vkládání"; }
    }
    : column {
      : toggle { key = "confirm_txt"; label = "Zadat text jednořádkového popisu"; }
      : toggle { key = "beh_or_bef"; label = "Text za značkou"; }
    }
  }
  : row {
    : boxed_row {
      label = "Konstrukce";
      : text { key = "construction"; width = 6; }
      : button { key = "constr_butt"; label = "Zvolit <"; fixed_width = true; }
    }
    : boxed_row {
      label = "Podlaží";
      : text { key = "floor"; width = 6; }
      : button { key = "floor_butt"; label = "Zvolit <"; fixed_width = true; }
    }
    : boxed_column {
      label = "Z výkresu";
      : button { key = "param_by"; label = "Parametry podle popisu <"; }
      : button { key = "edit_ent"; label = "Upravit popis <"; }
    }
  }
  errtile;
  : row {
    : button { key = "accept"; label = "Kreslit"; is_default = true; width = 12; }
    : button { key = "save_akt"; label = "Uložit druh"; width = 12; }
    : button { key = "save_all"; label = "Uložit vše"; width = 12; }
    : button { key = "end"; label = "Konec"; width = 12; }
    : button { key = "cancel"; label = "Zrušit"; is_cancel = true; width = 12; }
    : button { key = "help"; label = "Nápověda"; width = 12; }
  }
}

// ---- the kind panel ----

qd_kind_image : image_button { width = 22; height = 5; color = 0; allow_accept = true; }

imagepanel : dialog {
  label = "Druh popisu";
  : row {
    : qd_kind_image { key = "image9_1"; }
    : qd_kind_image { key = "image9_2"; }
    : qd_kind_image { key = "image9_3"; }
  }
  : row {
    : qd_kind_image { key = "image9_4"; }
    : qd_kind_image { key = "image9_5"; }
    : qd_kind_image { key = "image9_6"; }
  }
  : row {
    : qd_kind_image { key = "image9_7"; }
    : qd_kind_image { key = "image9_8"; }
    : qd_kind_image { key = "image9_9"; }
  }
  : row {
    fixed_width = true;
    alignment = centered;
    : button { key = "cancel"; label = "Zrušit"; is_cancel = true; width = 12; }
  }
}

// ---- the label library ----

library : dialog {
  label = "Knihovna popisů";
  : row {
    : list_box { key = "list_box1"; label = "Popisy:"; height = 12; width = 28; }
    : list_box { key = "list_box2"; label = "Řádky vybraného popisu:"; height = 12; width = 40; is_tab_stop = false; }
  }
  : boxed_column {
    label = "Zobrazit druhy";
    : row {
      : toggle { key = "1"; label = "Text"; }
      : toggle { key = "2"; label = "S odkazem"; }
      : toggle { key = "4"; label = "S lomeným odkazem"; }
      : toggle { key = "8"; label = "Bublina"; }
      : toggle { key = "16"; label = "Bublina s odkazem"; }
    }
    : row {
      : toggle { key = "32"; label = "Bublina mezi body"; }
      : toggle { key = "64"; label = "V rámečku"; }
      : toggle { key = "128"; label = "V rámečku s odkazy"; }
      : toggle { key = "256"; label = "Na čáře"; }
    }
  }
  : row {
    fixed_width = true;
    alignment = centered;
    : button { key = "accept"; label = "Převzít"; is_default = true; width = 12; }
    : button { key = "del_desc"; label = "Smazat..."; width = 12; }
    : button { key = "cancel"; label = "Zrušit"; is_cancel = true; width = 12; }
    : button { key = "help"; label = "Nápověda"; width = 12; }
  }
}

save_txt : dialog {
  label = "Uložit popis do knihovny";
  : list_box { key = "list_name"; label = "Popisy v knihovně:"; height = 10; width = 36; }
  : edit_box { key = "edit_name"; label = "Název:"; edit_width = 32; edit_limit = 32; }
  : row {
    fixed_width = true;
    alignment = centered;
    : button { key = "accept"; label = "Uložit"; is_default = true; width = 12; }
    : button { key = "Cancel"; label = "Zrušit"; is_cancel = true; width = 12; }
  }
}

varovani : dialog {
  label = "Upozornění";
  : text { label = "Popis tohoto názvu už knihovna obsahuje:"; }
  : text { key = "name"; width = 34; }
  : text { label = "Nahradit ho novými řádky?"; }
  : row {
    fixed_width = true;
    alignment = centered;
    : button { key = "accept"; label = "Nahradit"; is_default = true; width = 12; }
    : button { key = "cancel"; label = "Ne"; is_cancel = true; width = 12; }
  }
}

delete : dialog {
  label = "Smazat popis";
  : text { label = "Smazat z knihovny popis:"; }
  : text { key = "name"; width = 34; }
  : row {
    fixed_width = true;
    alignment = centered;
    : button { key = "accept"; label = "Smazat"; is_default = true; width = 12; }
    : button { key = "cancel"; label = "Ne"; is_cancel = true; width = 12; }
  }
}

// ---- the element a label is tied to ----

dilec : dialog {
  label = "Výběr prvku";
  : list_box { key = "text"; label = "Prvky v místě:"; height = 8; width = 72; }
  : row {
    fixed_width = true;
    alignment = centered;
    : button { key = "accept"; label = "OK"; is_default = true; width = 12; }
    : button { key = "cancel"; label = "Zrušit"; is_cancel = true; width = 12; }
  }
}

// ---- the settings of the label kinds ----

typ1 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ1"; width = 60; }
  qd_text_frame;
  qd_settings_buttons;
}

typ2 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ2"; width = 60; }
  : row {
    : column { qd_text_frame; qd_ref_line; }
    : column { qd_text_line; qd_attach_line; qd_text_line_length; qd_marks_at_ends; }
  }
  : toggle { key = "textline"; label = "Čára pod textem místo připojovací čáry"; }
  qd_settings_buttons;
}

typ3 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ3"; width = 60; }
  : row {
    : column { qd_text_frame; qd_ref_line; }
    : column { qd_text_line; qd_text_line_length; qd_attach_line; qd_marks_at_ends; }
  }
  : toggle { key = "textline"; label = "Čára pod textem místo připojovací čáry"; }
  qd_settings_buttons;
}

typ4 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ4"; width = 60; }
  : row { qd_text_frame; qd_bubble; }
  qd_settings_buttons;
}

typ5 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ5"; width = 60; }
  : row { qd_text_frame; qd_bubble; }
  qd_settings_buttons;
}

typ6 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ6"; width = 60; }
  : row {
    : column { qd_text_frame; qd_text_rotation; }
    : column { qd_bubble; qd_ref_line; }
  }
  qd_settings_buttons;
}

typ7 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ7"; width = 60; }
  : row {
    : column {
      qd_text_frame;
      : boxed_radio_row {
        key = "where";
        label = "Připojení odkazu";
        : radio_button { key = "atch_ce"; label = "Ke středu strany"; }
        : radio_button { key = "atch_cor"; label = "K rohu"; }
      }
    }
    qd_frame_marks;
  }
  qd_settings_buttons;
}

typ8 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ8"; width = 60; }
  : row { qd_text_frame; qd_frame_marks; }
  qd_settings_buttons;
}

typ9 : dialog {
  label = "Nastavení popisu";
  : text { key = "typ9"; width = 60; }
  : row {
    : column {
      qd_text_frame;
      : radio_row {
        key = "number_row";
        : radio_button { key = "row1"; label = "Jeden řádek"; }
        : radio_button { key = "row2"; label = "Dva řádky"; }
      }
      qd_text_rotation;
    }
    qd_ref_line;
  }
  qd_settings_buttons;
}
