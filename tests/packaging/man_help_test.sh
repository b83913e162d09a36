#!/usr/bin/env bash
# The manual pages and --help agree: every mirvo-cli command of --help has a section in
# man/mirvo-cli.1 naming each of its options, every section is a command of --help, and
# kvetral-sim's options are the same in --help and in man/kvetral-sim.1.
#   man_help_test.sh MIRVO_CLI KVETRAL_SIM MAN_FOLDER
set -euo pipefail
cli=$1 sim=$2 man=$3
status=0
fail() { echo "FAIL: $*"; status=1; }

# Option names in a text: --word, and -o.
options() { grep -oE -- '(^|[^a-z-])(--[a-z][a-z-]*|-o)([^a-z-]|$)' | grep -oE -- '--?[a-z][a-z-]*' | sort -u; }
# A man page's text with roff's escaped hyphens made plain.
plain() { sed -e 's/\\-/-/g' "$1"; }
# The source of the section `.SS name` of a man page, up to the next section.
section() { plain "$1" | awk -v name="$2" '/^\.S[SH] /{on = ($1 == ".SS" && $2 == name); next} on'; }

help=$("$cli" --help)
commands=$(printf '%s\n' "$help" | awk '/^Commands:/{on=1; next} /^$/{on=0} on {print $1}')
[[ -n "$commands" ]] || fail "mirvo-cli --help lists no commands"
for command in $commands; do
  text=$(section "$man/mirvo-cli.1" "$command")
  if [[ -z "$text" ]]; then fail "mirvo-cli.1 has no section for '$command'"; continue; fi
  usage=$(printf '%s\n' "$help" | awk -v c="$command" '$1 == c' | sed -E 's/ {2,}.*$//')
  for option in $(printf '%s\n' "$usage" | options); do
    printf '%s\n' "$text" | options | grep -qx -- "$option" || fail "mirvo-cli.1, $command: $option is missing"
  done
done
for documented in $(plain "$man/mirvo-cli.1" | awk '$1 == ".SS" {print $2}'); do
  printf '%s\n' "$commands" | grep -qx -- "$documented" || fail "mirvo-cli.1 documents '$documented', which --help does not list"
done
for option in $(printf '%s\n' "$help" | awk '/^Options:/{on=1; next} /^$/{on=0} on' | options); do
  plain "$man/mirvo-cli.1" | awk '/^\.SH OPTIONS/{on=1; next} /^\.SH /{on=0} on' | options | grep -qx -- "$option" \
    || fail "mirvo-cli.1 OPTIONS: $option is missing"
done

sim_help=$(options < <("$sim" --help))
sim_man=$(plain "$man/kvetral-sim.1" | awk '/^\.SH OPTIONS/{on=1; next} /^\.SH /{on=0} on' | options)
if [[ "$sim_help" != "$sim_man" ]]; then
  fail "kvetral-sim options differ between --help (<) and the manual (>):"
  diff <(printf '%s\n' "$sim_help") <(printf '%s\n' "$sim_man") || true
fi
[[ $status -eq 0 ]] && echo "manual pages agree with --help ($(printf '%s\n' $commands | wc -l) commands)"
exit $status
