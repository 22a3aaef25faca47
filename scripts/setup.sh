#!/usr/bin/env bash
# Installs what Quarvel needs on a Debian machine, builds it, and creates the demo database.
# Safe to run again: every step is skipped or redone cleanly when its result is already there.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsqlite3-dev libxlsxwriter-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth
  poppler-utils
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

echo "== building"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build

if [ ! -f demo.db ]; then
  echo "== creating demo.db"
  scripts/make-demo-db.sh demo.db
fi
# The program's settings file is what an installation leaves behind: without it every new editor
# window starts by asking to reinstall the application. Its values default when absent.
settings_dir="${QUARVEL_CONFIG_DIR:-${XDG_CONFIG_HOME:-$HOME/.config}/VORANTE}"
if [ ! -f "$settings_dir/VORANTE.ini" ]; then
  echo "== creating $settings_dir/VORANTE.ini"
  mkdir -p "$settings_dir"
  : > "$settings_dir/VORANTE.ini"
fi
echo "== set-up done"
