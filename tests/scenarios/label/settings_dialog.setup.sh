# The user settings file as it starts, kept to compare the blocks with afterwards.
. "$(dirname "$0")/user_settings.sh"
user_settings "$1" "$2" "$3"
cp "$3/tvdat/QDLBL_U.SET" "$3/before.set"
