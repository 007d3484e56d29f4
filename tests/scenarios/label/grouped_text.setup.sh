# Kind 2 in variant I: each group's text line as long as its own marked row; in variant
# II: no reference line (the groups are joined by a line) and the default attach line.
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3"
kind_fields "$3" 0 2 attachline 0  0 2 lenght_text_line lenght_text  1 2 x_ref 0
