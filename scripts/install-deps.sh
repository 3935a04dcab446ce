#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Sorvant need,
# and only those that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev libgl-dev            # Qt 6 Core/Gui/Widgets/PrintSupport
  libgtest-dev libgmock-dev         # unit tests
  libbenchmark-dev                  # speed and memory benchmarks
  xvfb xauth                        # screenshots of the real window
  openbox                           # a real window manager for the window-activation test
  xdotool                           # real key presses in the window tests
  fonts-liberation2                 # metric-compatible "Arial"
  fonts-wine                        # metric-compatible "Tahoma" and "MS Sans Serif"
  python3 python3-xlrd              # independent reader for our .xls files in tests
  poppler-utils                     # pdftotext/pdftoppm: independent reader for printed PDF pages
  xdotool imagemagick               # make screenshots: drive the real window and save what it shows
  python3-numpy python3-pandas      # reference script the exporter benchmark races against
  help2man gzip                     # manual pages made from --help at build time
  dpkg-dev                          # dpkg-shlibdeps: the Debian package's Depends line
  lintian desktop-file-utils appstream man-db  # checks of the package in the tests
  libcups2-dev                      # the queue's state and accepting flag, which Qt does not report
  libqpdf-dev                       # joins the PDFs that sorvant-export's threads draw range by range into one
  cups cups-daemon cups-client      # a private print system (cupsd, its filters, lpadmin, cupsreject) for the print tests
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

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
$sudo apt-get update -qq
# The tests start a print system of their own; installing cupsd must not
# start the machine's. A policy that refuses every service start does that
# for the time of the install, unless the machine already has a policy.
policy=/usr/sbin/policy-rc.d
own_policy=""
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod 755 "$policy"
  own_policy=1
fi
status=0
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" || status=$?
if [ -n "$own_policy" ]; then $sudo rm -f "$policy"; fi
exit "$status"
