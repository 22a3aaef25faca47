#!/usr/bin/env bash
# Creates the demo database file named by $1 (default demo.db) with the users DEMO and SYS and the
# demo schema of scripts/demo-schema.sql (run through the embedded client's own SQL path).
set -euo pipefail
cd "$(dirname "$0")/.."
DB=${1:-demo.db}
ADMIN=${LITEOCI_ADMIN:-build/bin/liteoci-admin}
if [ ! -x "$ADMIN" ]; then
  echo "liteoci-admin is not built yet; run scripts/setup.sh" >&2
  exit 1
fi
"$ADMIN" create "$DB"
if ! { "$ADMIN" user "$DB" DEMO demo &&
       "$ADMIN" user "$DB" SYS sys --sysdba &&
       "$ADMIN" run "$DB" DEMO demo scripts/demo-schema.sql; }; then
  echo "make-demo-db: could not fill $DB; removing it" >&2
  rm -f "$DB" "$DB-wal" "$DB-shm"
  exit 1
fi
echo "created $DB"
