# Sourced by ./run and ./test: installs the Debian packages the build needs.
# Usage: install_packages NAME...   (apt-get when root; otherwise prints the line and stops)

BUILD_PACKAGES="cmake ninja-build g++ pkg-config ccache qt6-base-dev qt6-base-dev-tools \
librtmidi-dev libasound2-dev libjack-jackd2-dev libfreetype-dev lilypond-fonts fonts-urw-base35 \
libfluidsynth-dev timgm6mb-soundfont"
TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev ghostscript python3-mido xvfb xauth \
clang libclang-rt-14-dev"

install_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local line="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "These Debian packages are missing. As root, run:" >&2
        echo "  $line" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
