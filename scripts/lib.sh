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
    # sudo drops the environment it is given, so the variable goes through env.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
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

# Builds the file reader's libFuzzer target with clang in build-fuzz/ and runs it from
# the seed corpus for the given number of seconds; fails when it finds a fault (the
# input that caused it is left in build-fuzz/). Skipped without clang.
run_file_reader_fuzzer() {
    local seconds="$1" jobs="$2"
    if ! command -v clang++ >/dev/null 2>&1; then
        echo "== fuzz: clang++ not found, skipped"
        return 0
    fi
    echo "== fuzz the file reader for ${seconds} s"
    cmake -S "$ROOT" -B "$ROOT/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTK_FUZZ=ON -DTK_SANITIZE=ON -DTK_WERROR=ON \
        -DTK_BUILD_TESTS=OFF >/dev/null
    cmake --build "$ROOT/build-fuzz" --parallel "$jobs" --target fuzz_file_reader
    mkdir -p "$ROOT/build-fuzz/corpus"
    if ! "$ROOT/build-fuzz/bin/fuzz_file_reader" -max_total_time="$seconds" -max_len=33000 \
        -artifact_prefix="$ROOT/build-fuzz/" "$ROOT/build-fuzz/corpus" \
        "$ROOT/fuzz/corpus/file_reader" >"$ROOT/build-fuzz/fuzz.log" 2>&1; then
        tail -n 60 "$ROOT/build-fuzz/fuzz.log"
        echo "fuzz_file_reader found a fault; see build-fuzz/fuzz.log and build-fuzz/crash-*"
        return 1
    fi
    grep -E '^Done [0-9]+ runs' "$ROOT/build-fuzz/fuzz.log"
}
