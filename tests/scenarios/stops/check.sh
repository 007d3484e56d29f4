#!/bin/sh
# Runs a script that must stop (exit status 4) and checks that its transcript has every
# line of the expected file. Arguments: QDHOST MODULE SUPPORT SCRIPT EXPECTED TRANSCRIPT
qdhost=$1 module=$2 support=$3 script=$4 expected=$5 transcript=$6
"$qdhost" --quiet --no-modules --module "$module" --support "$support" --script "$script" --transcript "$transcript"
status=$?
if [ "$status" -ne 4 ]; then
  echo "exit status $status, expected 4"
  exit 1
fi
while IFS= read -r line; do
  if ! grep -qxF -- "$line" "$transcript"; then
    echo "transcript lacks: $line"
    cat "$transcript"
    exit 1
  fi
done < "$expected"
