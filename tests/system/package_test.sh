#!/usr/bin/env bash
# Builds the Debian package from the build tree, as "make package" does, and
# checks it: the files a desktop needs are in it, its dependencies come from
# the binaries, lintian finds no error, and what it installs passes
# appstreamcli, desktop-file-validate and man.
#
# Usage: package_test.sh BUILD_FOLDER
set -uo pipefail
build=$1
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tessel-package-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  fail "cpack"
  exit 1
fi
deb=$(echo "$scratch"/tessel_*_*.deb)
[[ -f $deb ]] || { fail "no package in $scratch"; exit 1; }
echo "package: $(basename "$deb")"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in \
  usr/bin/tessel usr/bin/tessel-cli usr/bin/tessel-thumbnailer \
  usr/share/applications/tessel.desktop \
  usr/share/icons/hicolor/scalable/apps/tessel.svg \
  usr/share/mime/packages/tessel.xml \
  usr/share/thumbnailers/tessel.thumbnailer \
  usr/share/metainfo/io.github.tessel_minimaps.tessel.metainfo.xml \
  usr/share/man/man1/tessel.1.gz usr/share/man/man1/tessel-cli.1.gz usr/share/man/man1/tessel-thumbnailer.1.gz \
  usr/share/bash-completion/completions/tessel-cli \
  usr/share/doc/tessel/copyright usr/share/doc/tessel/changelog.gz; do
  grep -qxF "./$file" <<<"$contents" || fail "the package lacks /$file"
done

depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libpng16-16 libzip4 libqt6widgets6; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done

if ! lintian --fail-on error --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1; then
  fail "lintian"
fi
grep -v 'running with root privileges' "$scratch/lintian.log"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
desktop-file-validate "$root/usr/share/applications/tessel.desktop" | grep -v ': hint: '
[[ ${PIPESTATUS[0]} == 0 ]] || fail "desktop-file-validate"
grep -qx 'MimeType=application/x-warcraft2-pud;' "$root/usr/share/applications/tessel.desktop" ||
  fail "the desktop file does not list the scenario type"
grep -qx 'MimeType=application/x-warcraft2-pud;' "$root/usr/share/thumbnailers/tessel.thumbnailer" ||
  fail "the thumbnailer entry does not name the scenario type"
grep -q 'type="application/x-warcraft2-pud"' "$root/usr/share/mime/packages/tessel.xml" ||
  fail "the MIME package does not define the scenario type"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "$(basename "$page"): $warnings"
done
"$root/usr/bin/tessel-thumbnailer" --version >/dev/null || fail "the packaged thumbnailer does not start"

[[ $failed == 0 ]] && echo "package checked"
exit $failed
