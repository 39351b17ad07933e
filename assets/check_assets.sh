#!/usr/bin/env bash
# Fails when assets/generated/ is not exactly what assets/make_assets.py draws,
# or when a picture breaks a rule the shell relies on (colour key, sizes, positions).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../scripts/deps.sh
source "$here/../scripts/deps.sh"
tally_install_packages "${TALLY_ASSET_PACKAGES[@]}"
/usr/bin/python3 "$here/make_assets.py" --check "$here/generated"
/usr/bin/python3 "$here/verify_assets.py" "$here/generated"
echo "assets: up to date"
