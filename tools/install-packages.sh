#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build and test zeda.
set -euo pipefail
cd "$(dirname "$0")/.."
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends $(cat tools/packages.txt)
