#!/usr/bin/env bash
# The MIME package compiles with update-mime-database and maps *.mps and <Kvetral> documents to
# application/x-mirvo-spectrum, the type the desktop entry opens.
#   mime_test.sh DATA_DIR APP_ID
set -euo pipefail
data=$1 id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/packages"
cp "$data/$id.mime.xml" "$work/packages/$id.xml"
update-mime-database "$work"
grep -qx '50:application/x-mirvo-spectrum:\*\.mps' "$work/globs2" || { echo "FAIL: no *.mps glob"; exit 1; }
grep -q ' Kvetral application/x-mirvo-spectrum$' "$work/XMLnamespaces" || { echo "FAIL: no <Kvetral> root"; exit 1; }
grep -qx 'MimeType=application/x-mirvo-spectrum;' "$data/$id.desktop" || { echo "FAIL: the desktop entry opens another type"; exit 1; }
grep -q '<mediatype>application/x-mirvo-spectrum</mediatype>' "$data/$id.metainfo.xml" || { echo "FAIL: metainfo"; exit 1; }
echo "MIME type application/x-mirvo-spectrum: *.mps"
