# Shared by the scripts: the project root and the installation of missing packages.
# shellcheck shell=bash
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Installs the packages of scripts/packages.txt that are not installed yet.
install_missing_packages() {
    local missing=() pkg
    while read -r pkg; do
        [[ -z "$pkg" || "$pkg" == \#* ]] && continue
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done <"$ROOT/scripts/packages.txt"
    [[ ${#missing[@]} -eq 0 ]] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# C++ sources of the project, for the format check.
project_sources() {
    local dirs=() d
    for d in src tests fuzz bench; do
        [[ -d "$ROOT/$d" ]] && dirs+=("$ROOT/$d")
    done
    find "${dirs[@]}" \( -name '*.cpp' -o -name '*.h' \) | sort
}
