#!/bin/sh
# help2man runs this as "help_for_man.sh PROGRAM --help" (and --version): it
# passes PROGRAM's own text through, naming two of its parts with the section
# markers help2man knows, so the manual keeps one source, the program's help:
#   - the paragraphs after the option list (how files are handled) go to
#     DESCRIPTION instead of trailing the last option;
#   - "Exit status:" becomes the EXIT STATUS section.
set -eu
program=$1
shift
if [ "${1:-}" != "--help" ]; then
  exec "$program" "$@"
fi
"$program" --help | awk '
  /^Options:$/ { in_options = 1; print; next }
  in_options && /^[^ ]/ { in_options = 0; print "*DESCRIPTION*" }
  /^Exit status:$/ { print "*EXIT STATUS*"; next }
  { print }
'
