#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run Mirvo-PSD.
# Idempotent: when every package is already installed it returns at once without touching apt.
#   scripts/install-deps.sh          build, test and run
#   scripts/install-deps.sh --fuzz   also clang with libFuzzer (for -DMIRVO_FUZZ=ON)
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev googletest
  libbenchmark-dev
  libsystemd-dev libqt6svg6
  desktop-file-utils appstream shared-mime-info lintian dpkg-dev fakeroot file
  libxml2-dev libxml2-utils
)
if [[ "${1:-}" == "--fuzz" ]]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
