#!/usr/bin/env bash
# Starts Quarvel from the build folder; the embedded client and morvex sit beside the executable.
# Arguments are SQL files that the first editor window opens once connected.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -x build/bin/quarvel ]; then
  echo "Quarvel is not built yet: run scripts/setup.sh first" >&2
  exit 1
fi
echo "Connect to the demo database as DEMO / demo (or SYS / sys as SYSDBA); connect string: $PWD/demo.db"
exec build/bin/quarvel "$@"
