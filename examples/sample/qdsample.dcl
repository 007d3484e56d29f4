// The sample module's dialog: every kind of tile the host's dialogs use.
qdsample_dlg : dialog {
  label = "Sample";
  : boxed_column {
    label = "Label";
    : edit_box { key = "name"; label = "Name:"; edit_width = 20; }
    : toggle { key = "bold"; label = "Bold"; }
    : radio_row {
      key = "just";
      : radio_button { key = "l"; label = "Left"; }
      : radio_button { key = "c"; label = "Center"; value = "1"; }
      : radio_button { key = "r"; label = "Right"; }
    }
  }
  : row {
    : list_box { key = "items"; label = "Items"; height = 6; multiple_select = true; }
    : image_button { key = "preview"; width = 20; aspect_ratio = 0.5; color = -2; }
  }
  ok_cancel_help_errtile;
}
