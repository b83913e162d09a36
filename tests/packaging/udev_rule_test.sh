#!/usr/bin/env bash
# The udev rule gives the seat's user access, falls back to dialout, keeps modem managers away, and
# makes the links the port list knows by name (kInstrumentLinkPrefix in src/link/PortEnumerator.h).
#   udev_rule_test.sh SOURCE_DIR
set -euo pipefail
source=$1
rule=$source/data/61-mirvo-psd.rules
status=0
fail() { echo "FAIL: $*"; status=1; }
rules=$(grep -v '^[[:space:]]*#' "$rule")
for needed in 'TAG+="uaccess"' 'GROUP="dialout"' 'ENV{ID_MM_DEVICE_IGNORE}="1"' 'SUBSYSTEM!="tty"' 'ACTION=="remove"'; do
  grep -qF -- "$needed" <<< "$rules" || fail "the rule lacks $needed"
done
prefix=$(sed -n 's/.*kInstrumentLinkPrefix = "\([^"]*\)".*/\1/p' "$source/src/link/PortEnumerator.h")
[[ -n "$prefix" ]] || fail "no kInstrumentLinkPrefix in PortEnumerator.h"
links=$(grep -oE 'SYMLINK\+="[^"]*"' <<< "$rules" | sed -E 's/SYMLINK\+="([^"$]*).*/\1/')
[[ -n "$links" ]] || fail "the rule makes no link"
for link in $links; do
  [[ "$link" == "$prefix" || "$link" == "$prefix-" ]] || fail "link '$link...' is not named '$prefix' or '$prefix-<serial>'"
done
# Each rule line is a list of KEY op "value" pairs separated by commas.
while IFS= read -r line; do
  [[ -z "${line//[[:space:]]/}" ]] && continue
  stripped=$(sed -E 's/[A-Z_]+(\{[^}]*\})?[[:space:]]*(==|!=|\+=|-=|:=|=)[[:space:]]*"[^"]*"//g; s/[[:space:],]//g' <<< "$line")
  [[ -z "$stripped" ]] || fail "cannot read rule line: $line"
done <<< "$rules"
[[ $status -eq 0 ]] && echo "udev rule: uaccess, dialout, ModemManager ignored, links $prefix-<serial>"
exit $status
