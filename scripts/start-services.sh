#!/usr/bin/env bash
# Starts the local services that the tests talk to: a PostgreSQL server (ODBC tests)
# and the CUPS scheduler with a PDF queue (print-queue tests). Safe to run again.
# Prints the environment the tests need as `export` lines on standard output.
set -euo pipefail

SUDO_CMD=""
if [ "$(id -u)" -ne 0 ]; then SUDO_CMD="sudo"; fi

# PostgreSQL: the distribution's cluster, with a test role and database.
if command -v pg_lsclusters >/dev/null 2>&1; then
  ver=$(pg_lsclusters -h | awk 'NR==1{print $1}')
  name=$(pg_lsclusters -h | awk 'NR==1{print $2}')
  if [ -n "${ver:-}" ]; then
    if ! pg_lsclusters -h | awk 'NR==1{print $4}' | grep -q online; then
      $SUDO_CMD pg_ctlcluster "$ver" "$name" start >&2 || true
    fi
    for _ in $(seq 1 30); do
      if runuser -u postgres -- psql -qtAc 'select 1' >/dev/null 2>&1; then break; fi
      sleep 0.5
    done
    runuser -u postgres -- psql -qtAc "DO \$\$BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname='tbtest') THEN CREATE ROLE tbtest LOGIN PASSWORD 'tb;test=pw'; END IF; END\$\$;" >&2
    if ! runuser -u postgres -- psql -qtAc "SELECT 1 FROM pg_database WHERE datname='tbtest'" | grep -q 1; then
      runuser -u postgres -- createdb -O tbtest -E UTF8 -T template0 tbtest >&2
    fi
    port=$(pg_lsclusters -h | awk 'NR==1{print $3}')
    echo "export TB_PG_HOST=127.0.0.1 TB_PG_PORT=$port TB_PG_DB=tbtest TB_PG_USER=tbtest TB_PG_PASSWORD='tb;test=pw' TB_REQUIRE_PG=1"
  fi
fi

# CUPS: the scheduler and a queue that writes PDF files (cups-pdf).
if command -v cupsd >/dev/null 2>&1; then
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    (cupsd >&2 || true)
    for _ in $(seq 1 20); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.5; done
  fi
  if lpstat -r 2>/dev/null | grep -q "is running"; then
    if ! lpstat -p TBPDF >/dev/null 2>&1; then
      ppd=$(ls /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -1 || true)
      if [ -n "$ppd" ]; then
        lpadmin -p TBPDF -v cups-pdf:/ -E -P "$ppd" >&2 || true
      fi
    fi
    lpstat -p TBPDF >/dev/null 2>&1 && echo "export TB_CUPS_QUEUE=TBPDF TB_REQUIRE_CUPS=1"
  fi
fi
exit 0
