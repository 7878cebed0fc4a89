#!/usr/bin/env bash
# Set up, build and start Depthloom on Debian 12.
#   ./run.sh [ARGS...]   install what is missing, build, start the program with ARGS
#   ./run.sh test        install what is missing, build, run the whole test suite
set -euo pipefail
cd "$(dirname "$0")"

packages=(
    cmake ninja-build g++ make pkg-config
    qt6-base-dev libgl-dev libspng-dev libbenchmark-dev
    xvfb xauth x11-utils xdotool xclip openbox imagemagick poppler-utils
    desktop-file-utils shared-mime-info
    fonts-noto-cjk fonts-liberation2
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "run.sh: installing ${missing[*]}" >&2
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build

if [ "${1-}" = "test" ]; then
    exec ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)"
fi
exec ./build/depthloom "$@"
