#!/usr/bin/env bash
# Runs a test program against a private PostgreSQL: a fresh cluster in a temporary folder,
# listening on a Unix socket there only, stopped and removed when the program ends.
# The program finds it in BREVANTIS_PG_URL.
set -euo pipefail
program=$1
shift
bindir=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
work=$(mktemp -d /tmp/brevantis-pg.XXXXXX)
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  # The server refuses to run as root.
  chown postgres "$work"
  as_owner=(runuser -u postgres --)
fi
cleanup() {
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$work/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
"${as_owner[@]}" "$bindir/initdb" -D "$work/data" -A trust -U brevantis >/dev/null
"${as_owner[@]}" "$bindir/pg_ctl" -D "$work/data" -w -l "$work/server.log" \
  -o "-k $work -c listen_addresses='' -c fsync=off" start >/dev/null
"${as_owner[@]}" "$bindir/createdb" -h "$work" -U brevantis historique
export BREVANTIS_PG_URL="postgresql://brevantis@localhost/historique?host=$work"
"$program" "$@"
