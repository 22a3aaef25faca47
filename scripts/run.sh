#!/usr/bin/env bash
# Starts Quarvel from the build folder; the embedded client and morvex sit beside the executable.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -x build/bin/quarvel ]; then
  exec build/bin/quarvel "$@"
fi
# Until the editor window exists, a console check shows the database layer at work on the demo file.
exec build/bin/quarvel-check "$PWD/demo.db" DEMO demo "${1:-select * from dual}"
