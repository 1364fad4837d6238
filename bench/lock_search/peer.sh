#!/usr/bin/env bash
# peer.sh: the comparison database for the lock search bench, a private PostgreSQL 15
# cluster reachable only through a Unix socket in a folder of its own.
#
#   peer.sh start TABLES ROWS   creates the cluster, the pgrowlocks extension and TABLES
#                               tables t000.. of ROWS rows; prints the socket folder
#   peer.sh stop FOLDER         stops the cluster and removes the folder
#
# The server refuses to run as root, so as root the cluster belongs to the postgres account.
set -euo pipefail

bindir=/usr/lib/postgresql/15/bin
as_owner=()
[ "$(id -u)" -eq 0 ] && as_owner=(runuser -u postgres --)

case "${1:-}" in
start)
  tables=${2:?tables}
  rows=${3:?rows}
  [ -x "$bindir/initdb" ] || { echo "PostgreSQL 15 is not installed ($bindir)" >&2; exit 1; }
  folder=$(mktemp -d /tmp/lock_search_peer.XXXXXX)
  chmod 755 "$folder"
  [ ${#as_owner[@]} -eq 0 ] || chown postgres: "$folder"
  "${as_owner[@]}" "$bindir/initdb" -D "$folder/data" -U postgres --auth=trust -E UTF8 \
    --locale=C >"$folder/initdb.log" 2>&1
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w \
    -o "-k $folder -c listen_addresses='' -c fsync=off -c max_connections=50" start >/dev/null
  {
    echo "CREATE EXTENSION pgrowlocks;"
    for ((t = 0; t < tables; t++)); do
      printf 'CREATE TABLE t%03d (id integer PRIMARY KEY, payload text);\n' "$t"
      printf "INSERT INTO t%03d SELECT i, 'row ' || i FROM generate_series(1, %d) i;\n" "$t" "$rows"
    done
    echo "VACUUM ANALYZE;"
  } | "${as_owner[@]}" "$bindir/psql" -h "$folder" -U postgres -d postgres -q -v ON_ERROR_STOP=1 >/dev/null
  echo "$folder"
  ;;
stop)
  folder=${2:?folder}
  case "$folder" in /tmp/lock_search_peer.*) ;; *) echo "not a peer folder: $folder" >&2; exit 1 ;; esac
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$folder/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$folder"
  ;;
*)
  echo "usage: $0 start TABLES ROWS | stop FOLDER" >&2
  exit 2
  ;;
esac
