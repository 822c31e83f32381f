#!/bin/sh
# Installs the given Debian packages when any is missing: as root directly, else through sudo,
# else prints the exact command to run and fails.
missing=""
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
cmd="apt-get install -y --no-install-recommends$missing"
echo "Installing missing packages:$missing"
if [ "$(id -u)" = 0 ]; then
    (apt-get update -qq || true) && DEBIAN_FRONTEND=noninteractive $cmd
elif command -v sudo >/dev/null 2>&1; then
    (sudo apt-get update -qq || true) && sudo DEBIAN_FRONTEND=noninteractive $cmd
else
    echo "Please run: sudo apt-get update && sudo $cmd" >&2
    exit 1
fi
