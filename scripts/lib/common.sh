# Shared by the project's scripts: where things are, installing what is missing, building.

REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_DIR=${BUILD_DIR:-$REPO_ROOT/build}

# The Debian packages that building and testing the tool need; wixl, msitools and faketime pack
# support's tools into their MSI (scripts/lib/support-tools-msi).
BUILD_PACKAGES=(cmake g++ ninja-build ccache qtbase5-dev qtbase5-dev-tools python3 wixl msitools
    faketime)

# Installs the given Debian packages that are not installed yet.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get -o DPkg::Lock::Timeout=900 update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
        --no-install-recommends "${missing[@]}"
}

# Configures the project into $BUILD_DIR and builds the given targets, or everything without any.
# A release build, as the package ships it (cpack in $BUILD_DIR makes the package).
build_project() {
    ensure_packages "${BUILD_PACKAGES[@]}"
    export CCACHE_NOHASHDIR=true CCACHE_BASEDIR=$REPO_ROOT
    cmake -S "$REPO_ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    cmake --build "$BUILD_DIR" ${1+--target "$@"}
}
