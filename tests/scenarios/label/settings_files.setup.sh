# A user settings file written by "save_all" in a first session, kept as it was.
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3"
cp "$3/tvdat/QDLBL_U.SET" "$3/before.set"
