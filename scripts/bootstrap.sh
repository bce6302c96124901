#!/usr/bin/env bash
# Installs the Debian 12 packages that the build and the tests need, skipping
# those already present. Quick (one dpkg-query) when nothing is missing.
#
# Runs as root; started by another user it asks sudo, and only when something
# is missing. No `set -e`: an `apt-get update` that fails in part (a mirror
# whose index is out of step) must not stop the install of what the other
# indexes offer. The script fails only when a needed package is still missing
# at the end, and then names it.
set -u -o pipefail

packages=(
  # native build, unit tests, benchmarks, fuzzing
  cmake g++ make googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev python3 git
  # cross build of QNDBGC.DLL (posix thread variant, static runtime)
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  # the Windows tests: Wine with its own fonts on a headless X server
  wine wine64 fonts-wine xvfb xauth x11-utils imagemagick
  # X extensions Wine loads at run time (only recommended by Wine's packages,
  # but without XRender and friends it draws through another path)
  libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1
  libxfixes3 libxxf86vm1
)

# Prints the packages of the list that are not installed, one a line.
missing_packages() {
  local installed
  installed=$(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${packages[@]}" 2>/dev/null |
              awk '$2 == "installed" { print $1 }')
  local package
  for package in "${packages[@]}"; do
    grep -qxF "$package" <<<"$installed" || echo "$package"
  done
}

mapfile -t missing < <(missing_packages)
if ((${#missing[@]} == 0)); then
  echo "bootstrap: all ${#packages[@]} packages present"
  exit 0
fi

echo "bootstrap: missing ${missing[*]}"
if ((EUID != 0)); then
  if command -v sudo >/dev/null; then
    exec sudo "$0" "$@"
  fi
  echo "bootstrap: run this script as root to install them (no sudo here)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt_options=(-y -q --no-install-recommends -o DPkg::Lock::Timeout=300)

apt-get update -q ||
  echo "bootstrap: apt-get update failed in part; installing what the indexes offer" >&2

# One package that no index offers makes apt refuse the whole list, so try
# them one by one when the list as a whole fails.
if ! apt-get install "${apt_options[@]}" "${missing[@]}"; then
  for package in "${missing[@]}"; do
    apt-get install "${apt_options[@]}" "$package" ||
      echo "bootstrap: could not install $package" >&2
  done
fi

mapfile -t missing < <(missing_packages)
if ((${#missing[@]} != 0)); then
  echo "bootstrap: FAILED: still missing ${missing[*]} (see apt's messages above)" >&2
  exit 1
fi
echo "bootstrap: all ${#packages[@]} packages present"
