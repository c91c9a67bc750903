# Shared by the scripts: install what is missing, then configure and build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${QUORVANE_BUILD_DIR:-$ROOT/build}"

install_missing() {
    local missing=()
    while read -r pkg; do
        pkg="${pkg%%#*}"; pkg="$(echo "$pkg" | xargs)"
        [ -z "$pkg" ] && continue
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$pkg")
    done < "$ROOT/scripts/packages.txt"
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE="${QUORVANE_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
    cmake --build "$BUILD"
}
