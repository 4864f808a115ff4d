#!/bin/sh
# Installs the build into a temporary DESTDIR, as a packager does, and checks
# what a desktop and a user get from it: exactly the files listed below; a
# desktop entry and metainfo their validators accept; the icon found through
# the icon theme at every size; the manual page; --help, --version and a
# wrong argument answered without a display. With "package", it also builds
# the Debian package and checks that it holds the same files and that apt
# can install it.
#   install-test.sh BUILD_DIR VERSION ICON_LOOKUP [package]
set -eu
build=$1 version=$2 lookup=$3 mode=${4:-tree}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "skipped: $*"; exit 77; }
for tool in desktop-file-validate appstreamcli; do
  command -v $tool >/dev/null || skip "$tool is not installed (scripts/install-deps.sh installs it)"
done

sizes="16 22 24 32 48 64 128 256"
{
  echo usr/bin/tessaly
  echo usr/share/applications/tessaly.desktop
  echo usr/share/icons/hicolor/scalable/apps/tessaly.svg
  for size in $sizes; do echo "usr/share/icons/hicolor/${size}x$size/apps/tessaly.png"; done
  echo usr/share/man/man1/tessaly.1.gz
  echo usr/share/metainfo/io.github.tessaly.Tessaly.metainfo.xml
} | sort >"$work/expected"

root="$work/root"
DESTDIR="$root" cmake --install "$build" --prefix /usr >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
(cd "$root" && find . -type f | sed 's|^\./||' | sort) >"$work/installed"
diff -u "$work/expected" "$work/installed" || fail "the installed files differ from the list (- expected, + installed)"
[ -x "$root/usr/bin/tessaly" ] || fail "usr/bin/tessaly is not executable"

entry="$root/usr/share/applications/tessaly.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.tessaly.Tessaly.metainfo.xml" >"$work/appstream.log" ||
  { cat "$work/appstream.log"; fail "appstreamcli rejects the metainfo"; }
for line in Exec=tessaly Icon=tessaly StartupWMClass=tessaly "Categories=Utility;"; do
  grep -qx "$line" "$entry" || fail "the desktop entry lacks $line"
done
# Name, GenericName and Comment in the program's ten languages.
for key in Name GenericName Comment; do
  grep -q "^$key=." "$entry" || fail "the desktop entry lacks $key"
  for locale in ja zh_CN de fr ko es zh_TW pt_BR it; do
    grep -q "^$key\\[$locale\\]=." "$entry" || fail "the desktop entry lacks $key[$locale]"
  done
done
# The icon as a desktop finds it: through the hicolor theme, whose index
# comes with the theme package and whose folders are those of the install.
mkdir -p "$work/theme/icons/hicolor" "$work/home"
chmod 700 "$work/home"
cp /usr/share/icons/hicolor/index.theme "$work/theme/icons/hicolor/" 2>/dev/null ||
  skip "the hicolor icon theme is not installed (scripts/install-deps.sh installs it)"
HOME="$work/home" XDG_DATA_HOME="$work/home" XDG_RUNTIME_DIR="$work/home" XDG_DATA_DIRS="$root/usr/share:$work/theme" \
  "$lookup" tessaly $sizes >"$work/icon.log" 2>&1 || { cat "$work/icon.log"; fail "the icon is not found through the theme"; }
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/tessaly.svg" || fail "the scalable icon is no SVG"

gzip -dc "$root/usr/share/man/man1/tessaly.1.gz" >"$work/tessaly.1" || fail "the manual page is no gzip file"
grep -q "^\.TH TESSALY 1 .*Tessaly $version" "$work/tessaly.1" || fail "the manual page names no version $version"

# The command line, without a display.
program="$root/usr/bin/tessaly"
status=0; env -u DISPLAY "$program" --help >"$work/out" 2>"$work/err" || status=$?
[ $status -eq 0 ] || fail "--help ended with $status"
for option in --login-item --help --version; do
  grep -q -- "$option" "$work/out" || fail "--help does not mention $option"
done
[ ! -s "$work/err" ] || fail "--help wrote to standard error: $(cat "$work/err")"
status=0; env -u DISPLAY "$program" --version >"$work/out" 2>"$work/err" || status=$?
[ $status -eq 0 ] || fail "--version ended with $status"
[ "$(cat "$work/out")" = "Tessaly $version" ] || fail "--version printed \"$(cat "$work/out")\""
status=0; env -u DISPLAY "$program" --no-such-option >"$work/out" 2>"$work/err" || status=$?
[ $status -eq 2 ] || fail "an unknown option ended with $status, not 2"
[ ! -s "$work/out" ] || fail "an unknown option wrote to standard output"
grep -q -- "--no-such-option" "$work/err" && grep -q "^Usage: tessaly" "$work/err" ||
  fail "an unknown option was not answered with the usage: $(cat "$work/err")"

[ "$mode" = package ] || exit 0

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$work/package"/tessaly_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { cat "$work/cpack.log"; fail "no tessaly_${version}_*.deb was made"; }
dpkg-deb --contents "$deb" | awk '$1 ~ /^-/ { sub(/^\.\//, "", $NF); print $NF }' | sort >"$work/packaged"
diff -u "$work/expected" "$work/packaged" || fail "the package's files differ from the install (- expected, + packaged)"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libqt6widgets6 libxcb1 libicu72; do
  echo "$depends" | grep -q "$library" || fail "the package does not depend on $library: $depends"
done
# apt would install it here: every dependency resolves.
if command -v apt-get >/dev/null; then
  apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get cannot install the package"; }
fi
