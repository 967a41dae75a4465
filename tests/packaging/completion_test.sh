#!/usr/bin/env bash
# The bash completion against the program's own --help: every option the help
# lists is offered, option arguments complete as their metavariable says
# (folders for DIR, files for FILE, the listed values otherwise), and file
# names with spaces stay whole.
#   completion_test.sh COMPLETION_FILE SARNOVELLITE
set -uo pipefail
completion=$(realpath "$1")
program=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir "out folder" && touch "side a.wav" side-b.flac

# shellcheck source=/dev/null
source "$completion"
failures=0
# complete LINE: COMPREPLY for the cursor at the end of LINE, the program
# named by its path as a user's PATH would give it.
complete_line() {
  COMP_LINE="$program ${1#sarnovellite }"
  COMP_POINT=${#COMP_LINE}
  COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'
  read -ra COMP_WORDS <<<"${COMP_LINE//:/ : }"
  [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _sarnovellite
}
# offered WORD: WORD is one of COMPREPLY (no pipe: grep -q stopping early
# would fail the writer with SIGPIPE under pipefail).
offered() {
  local reply
  for reply in "${COMPREPLY[@]}"; do [[ $reply == "$1" ]] && return 0; done
  return 1
}
expect() {  # expect LINE WORD...: each WORD is among the completions of LINE
  local line=$1 word
  shift
  complete_line "$line"
  for word in "$@"; do
    offered "$word" ||
      { echo "FAIL: '$line' does not offer '$word' (offers: ${COMPREPLY[*]})"; failures=$((failures + 1)); }
  done
}
refuse() {  # refuse LINE WORD...: no WORD is among the completions of LINE
  local line=$1 word
  shift
  complete_line "$line"
  for word in "$@"; do
    if offered "$word"; then echo "FAIL: '$line' offers '$word'"; failures=$((failures + 1)); fi
  done
}

help=$("$program" --help)
mapfile -t options < <(grep -oE '^ {1,10}(-[a-zA-Z], )?--[a-z][a-z-]*' <<<"$help" | grep -oE -- '-[a-zA-Z]\b|--[a-z-]+')
[ "${#options[@]}" -ge 10 ] || { echo "FAIL: found only ${#options[@]} options in --help"; exit 1; }
expect "sarnovellite -" "${options[@]}"
expect "sarnovellite --sen" --sensitivity
expect "sarnovellite -o " "out folder"
refuse "sarnovellite -o " "side a.wav"
expect "sarnovellite --report " "side a.wav" "out folder"
expect "sarnovellite -s " 1 5
expect "sarnovellite --raw 44100:2:" s16 f32
expect "sarnovellite " "side a.wav" side-b.flac demo
refuse "sarnovellite side-b.flac " demo
# Every value list an option's description writes as a|b|c is offered after it.
while read -r option values; do
  IFS='|' read -ra listed <<<"$values"
  expect "sarnovellite $option " "${listed[@]}"
done < <(sed -nE 's/^ {1,10}(-[a-zA-Z], )?(--[a-z-]+) .*[^A-Za-z0-9_|-]([A-Za-z0-9_-]+(\|[A-Za-z0-9_-]+)+).*/\2 \3/p' <<<"$help")

[ "$failures" -eq 0 ] || exit 1
echo "completion offers all ${#options[@]} options of --help and their values"
