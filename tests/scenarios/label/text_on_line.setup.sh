# Kind 1 in variant I: a text line as long as the widest row; in variant II: rows right
# aligned, a text line of its own length, broken leaders drawn thin, with marks by how
# their ends were found; variant III keeps the attach line of the defaults.
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3" 1 1 BR
kind_fields "$3" 0 1 attachline 0  0 1 lenght_along 2 \
  1 1 attachline 0  1 1 lenght_along 0  1 1 r_line break  1 1 bold_line_rl 0  1 1 mark_snapped 2  1 1 mark_free 3
