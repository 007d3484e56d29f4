# A user settings file cut short after the dialog's options: variant typ2, angle 15.
work=$3
{
  printf 'QDLBL DEF File TORVEL 13.4 '
  printf 'typ2\000\000\000\000\000\000'
  printf '15\000\000\000\000\000\000\000\000\000\000\000\000\000\000'
} > "$work/tvdat/QDLBL_U.SET"
