#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  # build, tests, benchmarks
  cmake ninja-build g++ pkg-config git libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  # databases
  libsqlite3-dev sqlite3 unixodbc-dev unixodbc tdsodbc odbc-postgresql postgresql
  mdbtools mdbtools-dev
  # drawing, fonts, images, printing
  libcairo2-dev libfontconfig-dev libfreetype-dev fonts-ipafont fonts-ipaexfont
  libtiff-dev libcups2-dev cups cups-client printer-driver-cups-pdf
  # web host
  libcpp-httplib-dev nlohmann-json3-dev libssl-dev
  # workbook export
  libxlsxwriter-dev
  # settings program
  qt6-base-dev qt6-translations-l10n
  # independent checkers and browser tests
  zbar-tools poppler-utils python3-openpyxl chromium chromium-driver xvfb
  # the Debian package and its tests: dpkg-shlibdeps, unit checks, the example proxy
  dpkg-dev systemd nginx openssl curl
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO_CMD=""
if [ "$(id -u)" -ne 0 ]; then SUDO_CMD="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  $SUDO_CMD apt-get update -qq
  $SUDO_CMD apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Node.js comes with the machine image (npm would conflict with it); install Debian's only
# when no node is present at all.
if ! command -v node >/dev/null 2>&1; then
  $SUDO_CMD apt-get install -y -qq --no-install-recommends nodejs npm >/dev/null
fi

# Browser tests drive Debian's Chromium through playwright-core (no browser download).
top="$(cd "$(dirname "$0")/.." && pwd)"
if [ -f "$top/tests/e2e/package.json" ] && [ ! -d "$top/tests/e2e/node_modules/playwright-core" ]; then
  (cd "$top/tests/e2e" && npm install --no-audit --no-fund --silent)
fi
# Browser libraries the web host compiles into its assets, at the versions the lock file
# pins (client/web/vendor; the build refuses any other version).
vendor="$top/client/web/vendor"
if [ -f "$vendor/package-lock.json" ] && ! (cd "$vendor" && node -e '
    const want = require("./package.json").dependencies;
    for (const [name, version] of Object.entries(want))
      if (require("./node_modules/" + name + "/package.json").version !== version) process.exit(1);
  ' 2>/dev/null); then
  (cd "$vendor" && npm ci --no-audit --no-fund --silent)
fi
echo "Dependencies present."
