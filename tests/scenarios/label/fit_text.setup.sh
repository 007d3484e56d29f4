# Kind 0 fits its text between two points.
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3" 0 0 Fit
