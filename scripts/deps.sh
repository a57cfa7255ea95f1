#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet.
# QV_SKIP_DEPS=1 skips the check and the install, for machines that have what is needed
# by other means.
set -euo pipefail
[ "${QV_SKIP_DEPS:-0}" = 1 ] && exit 0
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Installing them needs root and sudo is not available. As root, run:" >&2
    echo "  apt-get install --no-install-recommends ${missing[*]}" >&2
    echo "or, when they are there by other means, set QV_SKIP_DEPS=1 to skip this step." >&2
    exit 1
  fi
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
