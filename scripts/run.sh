#!/usr/bin/env bash
# Installs what is missing, builds and starts Kestrova. The example road lies in
# build/bin/examples; on a first start the load boxes point at it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
exec "$root/build/bin/kestrova" "$@"
