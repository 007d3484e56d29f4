# Kind 0 hangs its rows ("Center") in variant II and centres them ("MC") in variant III;
# variant I keeps the default "BL".
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3" 1 0 Center 2 0 MC
