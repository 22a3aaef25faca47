#!/usr/bin/env bash
# Creates the demo database file named by $1 (default demo.db) with the users DEMO and SYS.
set -euo pipefail
cd "$(dirname "$0")/.."
DB=${1:-demo.db}
ADMIN=build/bin/liteoci-admin
if [ ! -x "$ADMIN" ]; then
  echo "liteoci-admin is not built yet; run scripts/setup.sh" >&2
  exit 1
fi
"$ADMIN" create "$DB"
"$ADMIN" user "$DB" DEMO demo
"$ADMIN" user "$DB" SYS sys --sysdba
