#!/usr/bin/env bash
# The Debian package on this machine, step by step as an administrator takes it: build it
# from the default build, install it, check files, user and modes, start the unit's
# command as the service user the way systemd would (there is no running systemd here),
# reach it through the example reverse proxy with a browser, upgrade it to a second
# version, purge it. Whatever happens, the package is purged at the end, so the rest of
# the test run sees the machine as it was.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
export TZ="${TZ:-Asia/Tokyo}"

step() { echo "package-test: $*"; }
fail() { echo "package-test: FAILED: $*" >&2; exit 1; }
expect_mode() {  # PATH OWNER:GROUP MODE
  local got
  got="$(stat -c '%U:%G %a' "$1")"
  [ "$got" = "$2 $3" ] || fail "$1 is $got, wanted $2 $3"
}

work="$(mktemp -d /var/tmp/tb-package-test.XXXXXX)"
chmod 0755 "$work"
dropin=/etc/systemd/system/tbclient.service.d
service_pid="" nginx_pid=""
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null
  [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
  if dpkg-query -W -f='${Status}' tbclient 2>/dev/null | grep -q installed; then
    dpkg --purge tbclient >/dev/null 2>&1 || true
  fi
  rm -rf "$dropin" "$work"
}
trap cleanup EXIT
free_port() {
  node -e 'const s=require("net").createServer();s.listen(0,"127.0.0.1",()=>{console.log(s.address().port);s.close()})'
}

# ---------------------------------------------------------------- build and install
step "building the package from build/"
deb="$(bash scripts/package.sh --from build | tail -1)"
version="$(dpkg-deb -f "$deb" Version)"
dpkg-deb -f "$deb" Depends | grep -q 'libcairo2' || fail "no library dependencies found"
if dpkg-query -W tbclient >/dev/null 2>&1; then dpkg --purge tbclient >/dev/null; fi
step "installing $(basename "$deb")"
dpkg -i "$deb" </dev/null >"$work/dpkg-install.log" 2>&1 || { cat "$work/dpkg-install.log"; fail "dpkg -i"; }

lib="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
for f in /usr/bin/{tbclient,TBWebSetup,tbseed,tbforms,fedtool,tbcheck,tbjetimport,tbexport,tbarchive}; do
  [ -x "$f" ] || fail "$f missing"
  if readelf -d "$f" | grep -q 'R.*PATH'; then fail "$f keeps a build RUNPATH"; fi
done
for f in "$lib/libfmdraw32.so" "$lib/libfmimg32.so" /usr/include/fmdraw32.h /usr/include/fmimg32.h \
         /usr/share/tbclient/fonts/fmdraw-fonts.conf /usr/share/doc/tbclient/README.md \
         /usr/share/doc/tbclient/examples/nginx-tbclient.conf /usr/lib/systemd/system/tbclient.service \
         /usr/lib/systemd/system/tbarchive.service /usr/lib/systemd/system/tbarchive.timer; do
  [ -f "$f" ] || fail "$f missing"
done
[ "$(ls /usr/share/tbclient/forms/*.fed | wc -l)" = 15 ] || fail "report forms missing"
[ "$(ls /usr/share/tbclient/forms/json/*.json | wc -l)" = 15 ] || fail "report form sources missing"
found="$(ldd /usr/bin/fedtool | awk '/libfmdraw32.so =>/ { print $3 }')"
[ -n "$found" ] && [ "$(readlink -f "$found")" = "$(readlink -f "$lib/libfmdraw32.so")" ] ||
  fail "fedtool does not find the installed library: $found"
[ "$(/usr/bin/tbclient --version)" = "tbclient ${version%%+*}" ] || fail "tbclient --version"

step "checking the user, the folders and their modes"
IFS=: read -r _ _ uid _ _ home shell < <(getent passwd tbclient) || fail "no user tbclient"
[ "$uid" -lt 1000 ] && [ "$home" = /var/lib/tbclient ] && [ "$shell" = /usr/sbin/nologin ] ||
  fail "tbclient is not a system user: $uid $home $shell"
getent group tbclient >/dev/null || fail "no group tbclient"
expect_mode /etc/tbclient/tbclient.conf root:root 644
expect_mode /var/lib/tbclient root:tbclient 750
expect_mode /var/lib/tbclient/client root:tbclient 2750
expect_mode /var/lib/tbclient/client/TBWeb.ini root:tbclient 640
expect_mode /var/lib/tbclient/client/WEBLOG tbclient:tbclient 2750
expect_mode /var/lib/tbclient/printers tbclient:tbclient 750
expect_mode /var/lib/tbclient/printers/printers.ini tbclient:tbclient 640
expect_mode /var/lib/tbclient/printed tbclient:tbclient 750
expect_mode /var/cache/tbclient tbclient:tbclient 750
expect_mode /var/lib/tbclient/archive tbclient:tbclient 750
grep -qx /etc/tbclient/tbclient.conf /var/lib/dpkg/info/tbclient.conffiles || fail "configuration is no conffile"

step "checking the unit"
systemd-analyze verify /usr/lib/systemd/system/tbclient.service
systemd-analyze verify /usr/lib/systemd/system/tbarchive.service /usr/lib/systemd/system/tbarchive.timer
exposure="$(systemd-analyze security --offline=true /usr/lib/systemd/system/tbclient.service 2>/dev/null |
            sed -n 's/.*Overall exposure level for tbclient.service: \([0-9.]*\).*/\1/p')"
step "systemd-analyze security exposure: $exposure"
awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 3.0) }' || fail "exposure $exposure above 3.0"

# ---------------------------------------------------------------- configure and run
step "seeding a share and configuring the service"
share="$work/vurodor"
/usr/bin/tbseed --share-root "$share" --client-dir "$work/seed-client" --years 1 >/dev/null
port="$(free_port)"
sed -i -e "s|^share-root = .*|share-root = $share|" -e "s|^listen = .*|listen = 127.0.0.1:$port|" \
    /etc/tbclient/tbclient.conf
# This machine's clock runs in UTC: the plant's time zone comes from a drop-in.
mkdir -p "$dropin"
printf '[Service]\nEnvironment=TZ=%s\n' "$TZ" > "$dropin/timezone.conf"

# Runs the unit's ExecStart as systemd would: its user and group, a clean environment
# with the unit's Environment= lines (drop-ins included), its umask, from /.
run_unit_command() {  # extra arguments are appended to ExecStart; $UNIT names another unit
  local unit="${UNIT:-/usr/lib/systemd/system/tbclient.service}" exec user group umask
  local -a env=(HOME=/var/lib/tbclient USER=tbclient LOGNAME=tbclient SHELL=/usr/sbin/nologin
                PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8)
  exec="$(sed -n 's/^ExecStart=//p' "$unit")"
  user="$(sed -n 's/^User=//p' "$unit")"
  group="$(sed -n 's/^Group=//p' "$unit")"
  umask="$(sed -n 's/^UMask=//p' "$unit")"
  while read -r line; do env+=("${line#Environment=}"); done < <(cat "$unit" "$dropin"/*.conf | grep '^Environment=')
  # shellcheck disable=SC2086
  exec setpriv --reuid="$user" --regid="$group" --init-groups --no-new-privs --inh-caps=-all \
    env -i "${env[@]}" sh -c 'umask "$0"; cd /; exec "$@"' "$umask" $exec "$@"
}
start_service() {
  : >"$work/journal.log"
  run_unit_command >>"$work/journal.log" 2>&1 &
  service_pid=$!
  for _ in $(seq 100); do
    grep -q 'serving http' "$work/journal.log" && return 0
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.2
  done
  cat "$work/journal.log"; fail "the service did not start"
}
stop_service() {
  local start=$SECONDS rc=0
  kill -TERM "$service_pid"
  wait "$service_pid" || rc=$?
  service_pid=""
  [ "$rc" = 0 ] || { cat "$work/journal.log"; fail "the service ended with $rc on SIGTERM"; }
  [ $((SECONDS - start)) -le 31 ] || fail "the service took $((SECONDS - start)) s to stop"
}

step "a share or client folder it cannot read stops the start at once"
install -d -m 0700 "$work/private"
out="$(run_unit_command --share-root "$work/private" 2>&1)" && fail "started on an unreadable share"
grep -q 'share root cannot be read' <<<"$out" || fail "unclear message: $out"
out="$(run_unit_command --client-dir "$work/none" 2>&1)" && fail "started without a client folder"
grep -q 'client folder does not exist' <<<"$out" || fail "unclear message: $out"

step "starting the service command as user tbclient"
touch "$work/stamp"
start_service
[ "$(curl -s "http://127.0.0.1:$port/healthz")" = ok ] || fail "healthz is not ok"
# An admin's own settings file, to find again after the upgrade.
printf '; kept by the upgrade\r\n' >> /var/lib/tbclient/client/TBWeb.ini

step "one archive pass as the timer starts it, shown by the service"
rc=0
(UNIT=/usr/lib/systemd/system/tbarchive.service run_unit_command --max 3 --kinds daily) \
  >"$work/archive.log" 2>&1 || rc=$?
[ "$rc" = 3 ] || { cat "$work/archive.log"; fail "the archive pass ended with $rc, wanted 3 (cap reached)"; }
[ "$(find /var/lib/tbclient/archive/daily -name '*.pdf' -user tbclient | wc -l)" = 3 ] ||
  fail "the archive pass did not write 3 daily PDFs"
curl -s "http://127.0.0.1:$port/archive/" | grep -q '日報' || fail "the archive page does not list the archive"

step "behind nginx with TLS and a password"
ngx="$work/nginx"
mkdir -p "$ngx"
https="$(free_port)" http="$(free_port)"
while [ "$http" = "$https" ] || [ "$http" = "$port" ]; do http="$(free_port)"; done
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=localhost -days 2 \
        -keyout "$ngx/tls.key" -out "$ngx/tls.crt" 2>/dev/null
printf 'ops:%s\n' "$(openssl passwd -6 'plant-pw')" > "$ngx/htpasswd"
chmod 0644 "$ngx/htpasswd"
sed -e "s|server 127.0.0.1:8080;|server 127.0.0.1:$port;|" -e "s|listen 80;|listen 127.0.0.1:$http;|" \
    -e "s|listen 443 ssl;|listen 127.0.0.1:$https ssl;|" -e "s|/etc/ssl/certs/tbclient.crt|$ngx/tls.crt|" \
    -e "s|/etc/ssl/private/tbclient.key|$ngx/tls.key|" -e "s|/etc/nginx/tbclient.htpasswd|$ngx/htpasswd|" \
    /usr/share/doc/tbclient/examples/nginx-tbclient.conf > "$ngx/site.conf"
cat > "$ngx/nginx.conf" <<NGINX
worker_processes 1;
pid $ngx/nginx.pid;
error_log $ngx/error.log;
events { worker_connections 128; }
http {
  access_log $ngx/access.log;
  client_body_temp_path $ngx/body; proxy_temp_path $ngx/proxy; fastcgi_temp_path $ngx/fastcgi;
  uwsgi_temp_path $ngx/uwsgi; scgi_temp_path $ngx/scgi;
  include $ngx/site.conf;
}
NGINX
nginx -t -q -c "$ngx/nginx.conf" -e "$ngx/error.log" || { cat "$ngx/error.log"; fail "nginx -t"; }
nginx -c "$ngx/nginx.conf" -e "$ngx/error.log" -g 'daemon off;' &
nginx_pid=$!
for _ in $(seq 50); do curl -sk -o /dev/null "https://127.0.0.1:$https/" && break; sleep 0.1; done
status() { curl -sk -o /dev/null -w '%{http_code}' "$@"; }
[ "$(status "http://127.0.0.1:$http/docMain.vbd")" = 301 ] || fail "plain HTTP is not sent to HTTPS"
[ "$(status "https://127.0.0.1:$https/docMain.vbd")" = 401 ] || fail "no password asked"
[ "$(status -u ops:wrong "https://127.0.0.1:$https/docMain.vbd")" = 401 ] || fail "a wrong password let in"
[ "$(status -u ops:plant-pw "https://127.0.0.1:$https/docMain.vbd")" = 200 ] || fail "the password did not let in"
[ "$(curl -sk "https://127.0.0.1:$https/healthz")" = ok ] || fail "healthz through the proxy"
# The event stream arrives as it is written, not when the proxy's buffer fills.
curl -sk -u ops:plant-pw -c "$ngx/cookies" -o /dev/null "https://127.0.0.1:$https/docMain.vbd"
curl -sk -N -u ops:plant-pw -b "$ngx/cookies" --max-time 4 "https://127.0.0.1:$https/events?page=1" \
  > "$ngx/events.txt" || true
grep -q '^data: ' "$ngx/events.txt" || fail "no event came through the proxy"

step "a report and its print in a browser through the proxy"
TB_SERVICE_URL="https://127.0.0.1:$https" TB_SERVICE_USER=ops:plant-pw TB_SERVICE_SHARE="$share" \
  TB_SERVICE_PRINTED=/var/lib/tbclient/printed node --test tests/e2e/installed.test.js
kill "$nginx_pid"; wait "$nginx_pid" 2>/dev/null || true; nginx_pid=""

step "what the service wrote"
pdfs="$(find /var/lib/tbclient/printed -name '*.pdf' -user tbclient | wc -l)"
[ "$pdfs" -ge 1 ] || fail "no PDF printed by user tbclient"
written="$(find /var/lib/tbclient /var/cache/tbclient -newer "$work/stamp" -user tbclient \
           -not -path '/var/lib/tbclient/client/WEBLOG*' -not -path '/var/cache/tbclient*' \
           -not -path '/var/lib/tbclient/printers*' -not -path '/var/lib/tbclient/printed*' \
           -not -path '/var/lib/tbclient/archive*')"
[ -z "$written" ] || fail "written outside the service's folders: $written"

# ---------------------------------------------------------------- upgrade and purge
step "upgrading to a second version while the service runs"
new_version="$version+repack1"
dpkg-deb -R "$deb" "$work/repack"
sed -i "s/^Version: .*/Version: $new_version/" "$work/repack/DEBIAN/control"
dpkg-deb -Zgzip -b "$work/repack" "$work/tbclient_new.deb" >/dev/null
conf_before="$(md5sum </etc/tbclient/tbclient.conf)" ini_before="$(md5sum </var/lib/tbclient/client/TBWeb.ini)"
dpkg -i "$work/tbclient_new.deb" </dev/null >"$work/dpkg-upgrade.log" 2>&1 || { cat "$work/dpkg-upgrade.log"; fail "upgrade"; }
[ "$(dpkg-query -W -f='${Version}' tbclient)" = "$new_version" ] || fail "not upgraded"
[ "$(md5sum </etc/tbclient/tbclient.conf)" = "$conf_before" ] || fail "the configuration changed"
[ "$(md5sum </var/lib/tbclient/client/TBWeb.ini)" = "$ini_before" ] || fail "TBWeb.ini changed"
[ "$(id -u tbclient)" = "$uid" ] || fail "the user changed"
expect_mode /var/lib/tbclient/client root:tbclient 2750
expect_mode /var/cache/tbclient tbclient:tbclient 750
[ "$(find /var/lib/tbclient/printed -name '*.pdf' | wc -l)" = "$pdfs" ] || fail "printed documents lost"
# systemd's try-restart of postinst, by hand.
stop_service
start_service
[ "$(curl -s "http://127.0.0.1:$port/healthz")" = ok ] || fail "healthz after the upgrade"
stop_service
[ -z "$(find /tmp /var/tmp /dev/shm -maxdepth 1 -user tbclient 2>/dev/null)" ] || fail "temporary files left"

step "purging"
dpkg --purge tbclient </dev/null >"$work/dpkg-purge.log" 2>&1 || { cat "$work/dpkg-purge.log"; fail "purge"; }
! getent passwd tbclient >/dev/null || fail "user left"
! getent group tbclient >/dev/null || fail "group left"
for p in /etc/tbclient /var/lib/tbclient /var/cache/tbclient /usr/bin/tbclient "$lib/libfmdraw32.so" \
         /usr/lib/systemd/system/tbclient.service /usr/lib/systemd/system/tbarchive.timer /usr/share/tbclient; do
  [ ! -e "$p" ] || fail "$p left after purge"
done
[ -d "$share/TB_DataBase" ] || fail "purge touched the share"
echo "package-test: 1 passed, 0 failed"
