#!/usr/bin/env bash
# Installs the Debian 12 packages that Tessel needs and that are missing,
# and the npm packages of the gallery's Lighthouse test and of the web page
# as their lockfiles pin them. Idempotent: prints nothing and touches
# nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev nlohmann-json3-dev
  # tessel-cli's map packs (zip archives)
  libzip-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools
  xvfb xauth
  # the desktop program's user flows: a window manager, keys and clicks, window facts
  openbox xdotool x11-utils
  # the Debian package and the checks of what it installs
  dpkg-dev file lintian appstream desktop-file-utils shared-mime-info man-db groff-base bash-completion
  # GNOME's thumbnail factory, which runs the thumbnailer in a bubblewrap sandbox
  python3-gi gir1.2-gnomedesktop-3.0 gir1.2-gdkpixbuf-2.0 bubblewrap
  # Thunar's thumbnail service on a private session bus, called through gdbus
  tumbler dbus dbus-bin libglib2.0-bin
  # the gallery's browser test
  chromium
  # the web page's WebAssembly build
  emscripten
  # bench/limit-programs.sh: the CPU time and peak memory of whole programs
  time
  # the Windows build: MinGW-w64 (POSIX threads), the installer's NSIS, and
  # wine (64-bit) to run the programs and their tests
  g++-mingw-w64-x86-64-posix nsis wine wine64
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
# The gallery's Lighthouse test and the web page's build run on Node.js; a machine that has it and
# npm from elsewhere keeps them.
command -v node >/dev/null && command -v npm >/dev/null || missing+=(nodejs npm)

if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Installing: ${missing[*]}"
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  # Waits for another package manager run to finish instead of failing at once.
  apt=("${sudo[@]}" apt-get -o DPkg::Lock::Timeout=600)
  "${apt[@]}" update -qq
  "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The npm packages of a folder as its lockfile pins them; installed again
# only when the lockfile changes.
npm_ci() {
  local folder=$1 what=$2
  if ! cmp -s "$folder/package-lock.json" "$folder/node_modules/.installed-lock.json"; then
    echo "Installing $what into $folder/node_modules"
    (cd "$folder" && npm ci "${@:3}" --no-audit --no-fund --loglevel=error >/dev/null)
    cp "$folder/package-lock.json" "$folder/node_modules/.installed-lock.json"
  fi
}

root=$(cd "$(dirname "$0")/.." && pwd)
# Lighthouse, for the gallery's test
npm_ci "$root/tests/lighthouse" Lighthouse
# the web page's script libraries, copied into the page when it is built
npm_ci "$root/web" "the web page's script libraries" --ignore-scripts
