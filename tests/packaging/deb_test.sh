#!/usr/bin/env bash
# Builds the .deb from a finished build folder with CPack and checks it: the files are the ones the
# README's Install section lists, the control fields, the programs run from a scratch root made with
# dpkg -x, the installed desktop files validate, and lintian reports no error (warnings are shown).
#   deb_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd)
work=$build/packaging-check
rm -rf "$work"
mkdir -p "$work/out"
status=0
fail() { echo "FAIL: $*"; status=1; }

(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/out" > "$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"; echo "FAIL: cpack did not build the package"; exit 1; }
shopt -s nullglob
debs=("$work"/out/*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "FAIL: expected one .deb, found ${#debs[@]}"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

# Contents: every file and link, against the README's list.
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | sort > "$work/contents"
sed -n '/<!-- package-contents:begin -->/,/<!-- package-contents:end -->/p' "$source/README.md" \
  | grep -E '^/' | awk '{print $1}' | sort > "$work/readme"
[[ -s "$work/readme" ]] || fail "the README lists no package contents"
if ! diff -u "$work/readme" "$work/contents" > "$work/contents.diff"; then
  fail "dpkg-deb --contents differs from the README's list (- README, + package):"; cat "$work/contents.diff"
fi

# Control fields.
field() { dpkg-deb --field "$deb" "$1"; }
[[ "$(field Package)" == mirvo-psd ]] || fail "Package is $(field Package)"
[[ "$(field Section)" == science ]] || fail "Section is $(field Section)"
depends=$(field Depends)
for needed in libc6 libstdc++6 libqt6widgets6 libsystemd0 qt6-qpa-plugins libqt6svg6; do
  [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
# Listed first, then searched: a grep -q that leaves early would break the pipe under pipefail.
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)
grep -qx './postinst' <<<"$control" || fail "no postinst"

# The programs run from a scratch root.
root=$work/root
dpkg -x "$deb" "$root"
version=$("$root/usr/bin/mirvo-cli" --version) || fail "mirvo-cli --version failed"
[[ "$version" == "mirvo-cli 2.50" ]] || fail "mirvo-cli --version printed '$version'"
sim_help=$("$root/usr/bin/kvetral-sim" --help) || fail "kvetral-sim --help failed"
grep -q '^usage: kvetral-sim' <<<"$sim_help" || fail "kvetral-sim --help printed no usage"
desktop-file-validate "$root/usr/share/applications/org.mirvo.MirvoPSD.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.mirvo.MirvoPSD.metainfo.xml" > "$work/appstream.log" \
  || { cat "$work/appstream.log"; fail "metainfo"; }

# lintian: no errors. It refuses nothing as root but says so; that line is dropped.
lintian --tag-display-limit 0 --display-info "$deb" 2>&1 | grep -v 'running with root privileges' > "$work/lintian.log" || true
grep -E '^[EW]: ' "$work/lintian.log" || true
if grep -q '^E: ' "$work/lintian.log"; then fail "lintian reports errors"; fi

[[ $status -eq 0 ]] && echo "package checks passed"
exit $status
