# Framed texts: variant I sized by its text (the defaults); variant II a given frame of
# 12 by 4 mm placed by its centre; variant III a frame of no width.
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3"
kind_fields "$3" 1 7 width_mark 0  1 7 height_mark 0  1 7 edt_wdth_mk_sc 12  1 7 edt_hght_mk_sc 4  1 7 pos_mark 0 \
  2 7 width_mark 0  2 7 edt_wdth_mk_sc 0
