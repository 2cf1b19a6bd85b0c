#!/usr/bin/env bash
# Installs the Debian packages of tools/packages.txt that are not installed yet.
# Runs apt-get as root, or through sudo; a second run with everything present is quick.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
want=$(grep -v '^\s*#' "$here/packages.txt" | grep -v '^\s*$' | sed 's/\s.*//')
missing=()
for p in $want; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
