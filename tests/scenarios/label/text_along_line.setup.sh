# Kind 8 stands on its line ("BC") in variant I and hangs under it ("TL", the default) in
# variant II.
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3" 0 8 BC
