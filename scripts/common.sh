# Shared by scripts/run and scripts/test: installs what is missing.
# shellcheck shell=bash

TOLVARIS_PACKAGES=(
  # build
  cmake make g++ pkg-config
  # program
  qt6-base-dev qt6-qpa-plugins libqt6sql6-sqlite qt6-translations-l10n
  libsqlite3-dev libxlsxwriter-dev fonts-wqy-microhei
)
TOLVARIS_TEST_PACKAGES=(
  libgtest-dev libgmock-dev
  xvfb xauth xdotool imagemagick python3-openpyxl sqlite3 locales
)

tolvaris_sudo() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the given Debian packages that are not installed yet.
tolvaris_install() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    tolvaris_sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive tolvaris_sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# A Chinese UTF-8 locale when it can be had, C.UTF-8 otherwise.
tolvaris_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    if command -v localedef >/dev/null 2>&1 && [ "$(id -u)" -eq 0 ]; then
      localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 >/dev/null 2>&1 || true
    fi
  fi
  if locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then echo zh_CN.UTF-8; else echo C.UTF-8; fi
}
