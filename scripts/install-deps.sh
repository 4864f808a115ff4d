#!/usr/bin/env bash
# Installs every Debian package Tessaly needs to build, test and run.
# Idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  # A linker six times faster than binutils' for the large test programs.
  mold
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev libicu-dev libsystemd-dev libfontconfig-dev
  libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-randr0-dev libxcb-xinput-dev
  libxcb-xkb-dev libxkbcommon-dev libxkbcommon-x11-dev libxcb-keysyms1-dev libxcb-xtest0-dev
  libxcb-res0-dev libxcb-screensaver0-dev libxcb-shape0-dev libxcb-sync-dev libxcb-xfixes0-dev
  qt6-base-dev
  # GIO, to read the key bindings GNOME's and Cinnamon's window managers
  # keep in GSettings (they take those keys although a grab of them succeeds).
  libglib2.0-dev
  # Qt's own texts (colour and file dialogs, standard buttons) in the
  # program's languages: qtbase_xx.qm.
  qt6-translations-l10n
  # Fonts for the bars and windows: Latin, Greek, Cyrillic, Arabic, Hebrew, and CJK.
  fonts-dejavu-core fonts-wqy-microhei
  xdg-utils
  # The install test: the desktop entry's and metainfo's validators, the
  # icon theme the installed icon is looked up in, and the packaging tools
  # (binutils' strip, dpkg-dev's dpkg-shlibdeps) of the Debian package.
  desktop-file-utils appstream hicolor-icon-theme dpkg-dev
  # The X11 tests run their own headless desktop (Xvfb, openbox, xterm, xlogo,
  # xrandr, xset) and a private session bus (dbus-daemon, dbus-send, gdbus).
  xvfb openbox xdotool xterm x11-apps x11-utils x11-xserver-utils
  dbus-daemon dbus-bin libglib2.0-bin
  # The window managers people run, for the X11 suite on each of them (stock
  # configurations): marco needs the MATE settings schema, and fluxbox's
  # stock style a wallpaper setter (else it pops up a message window).
  xfwm4 fluxbox hsetroot icewm metacity marco mate-settings-daemon-common i3-wm
  # The window managers of Plasma, GNOME on Xorg and Cinnamon: KWin with
  # Plasma's Breeze decoration (without it KWin draws no title bars), mutter,
  # and muffin with the peripherals schema of Cinnamon's settings daemon
  # (it aborts at start without it).
  kwin-x11 kwin-style-breeze mutter muffin cinnamon-settings-daemon
  # A system tray (XEmbed) for the tray icon's real-desktop tests.
  trayer
  # Toolkit clients as users run them (GTK 3 and 4 with client-side
  # decorations, Qt) and a compositor for any window manager.
  gtk-3-examples gnome-calculator mousepad qterminal picom
  # The accessibility bus (launcher and registry): the shell's real-desktop
  # tests read the program's menus and windows through it.
  at-spi2-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
