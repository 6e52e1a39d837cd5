#!/usr/bin/env bash
# Checks that a manual page lists the same options and subcommands as the
# program's --help:
#   man_options_test.sh PROGRAM MANUAL_PAGE
# An option is a word beginning with - or -- after a space or a bracket; a
# subcommand is the word after the program's name on a line of --help's
# usage ("  lumo2-tool calc ...") or of the page's synopsis (".B lumo2-tool calc").
set -euo pipefail
program=$1
page=$2
name=$(basename "$program")

# The page's text with roff's escapes for minus signs, fonts and special
# characters removed.
page_text() {
  sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(..//g' "$page"
}

options() {
  grep -oE '(^|[][ (|])--?[a-zA-Z][a-zA-Z-]*' | sed 's/^[][ (|]//' | sort -u
}

help=$("$program" --help)
failed=0
compare() {
  local what=$1 from_help=$2 from_page=$3
  local missing extra
  missing=$(comm -23 <(echo "$from_help") <(echo "$from_page"))
  extra=$(comm -13 <(echo "$from_help") <(echo "$from_page"))
  if [ -n "$missing" ]; then
    echo "$page lacks these $what of $name --help:" $missing
    failed=1
  fi
  if [ -n "$extra" ]; then
    echo "$page lists these $what that $name --help does not:" $extra
    failed=1
  fi
}

compare options "$(options <<<"$help")" "$(page_text | options)"
compare subcommands \
  "$(sed -nE "s/^  $name ([a-z]+).*/\1/p" <<<"$help" | sort -u)" \
  "$(page_text | sed -nE "s/^\.B $name ([a-z]+).*/\1/p" | sort -u)"
exit $failed
