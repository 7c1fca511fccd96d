# Shared by scripts/build-windows and scripts/test-windows: the MinGW-w64 cross build against the
# static toolkits in ../shared/toolchains, and Wine to run what it builds.

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

WINDOWS_PACKAGES=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
    binutils-mingw-w64-x86-64 wine64 python3 python3-pefile osslsigncode openssl)
QT_WINDOWS_VERSION=5.15.8
TOOLCHAIN_ARCHIVES=${TOOLCHAIN_ARCHIVES:-$REPO_ROOT/../shared/toolchains}
TOOLCHAIN_CACHE=${TOOLCHAIN_CACHE:-$REPO_ROOT/build-toolchains}
# The 64-bit loader, called directly: it hands 32-bit programs to the 32-bit loader (wine32) by
# itself, and the wrapper script fails where the kernel runs no 32-bit code.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

ensure_windows_packages() {
    ensure_packages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
}

# Whether the kernel runs 32-bit x86 programs, which 32-bit Wine needs; some kernels refuse them
# ("Exec format error") though the processor could. Tried with the smallest such program: a
# static i386 ELF that only calls exit(42) through int 0x80, assembled here by binutils.
kernel_runs_32bit_code() {
    local dir status=0
    dir=$(mktemp -d "${TMPDIR:-/tmp}/repairtool-i386.XXXXXX")
    printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$dir/exit42.s"
    if as --32 -o "$dir/exit42.o" "$dir/exit42.s" 2>/dev/null \
        && ld -m elf_i386 -static -o "$dir/exit42" "$dir/exit42.o" 2>/dev/null; then
        "$dir/exit42" 2>/dev/null || status=$?
    else
        status=1
    fi
    rm -rf "$dir"
    [ "$status" -eq 42 ]
}

# Installs 32-bit Wine beside the 64-bit one: the foreign architecture first, so that apt finds it.
ensure_wine32() {
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    ensure_packages wine32:i386
}

# Prints the prefix of the static toolkit for a triplet, unpacking its archive on first use.
windows_qt_prefix() {
    local triplet=$1
    local name=qt-$QT_WINDOWS_VERSION-static-$triplet
    local prefix=$TOOLCHAIN_CACHE/$name
    local archive=$TOOLCHAIN_ARCHIVES/$name.tar.xz
    # The stamp names the archive's size and time, so a replaced archive is unpacked afresh.
    local stamp
    stamp=$(stat -c '%s %Y' "$archive") || {
        echo "No toolkit archive $archive" >&2
        return 1
    }
    if [ "$(cat "$prefix.stamp" 2>/dev/null)" != "$stamp" ]; then
        echo "Unpacking $name into $TOOLCHAIN_CACHE" >&2
        rm -rf "$prefix" "$prefix.stamp"
        mkdir -p "$TOOLCHAIN_CACHE"
        tar -C "$TOOLCHAIN_CACHE" -xJf "$archive"
        echo "$stamp" >"$prefix.stamp"
    fi
    echo "$prefix"
}

# Configures and builds the project for a triplet into a build folder:
#   build_windows TRIPLET BUILD_DIR [cmake arguments...] -- [targets...]
build_windows() {
    local triplet=$1 dir=$2
    shift 2
    local configure=() targets=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do
        configure+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift
    targets=("$@")
    local prefix
    prefix=$(windows_qt_prefix "$triplet")
    export CCACHE_NOHASHDIR=true CCACHE_BASEDIR=$REPO_ROOT
    # rcc stamps the files in the resource bundle with this time (2020-01-01) rather than with
    # their modification times, which differ from checkout to checkout. Fixed, not the commit's:
    # an incremental build does not rerun rcc when only the commit changes.
    export SOURCE_DATE_EPOCH=1577836800
    # Release: the static toolkit exists only as a release build. -s keeps the static links lean.
    cmake -S "$REPO_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$REPO_ROOT/cmake/toolchain-$triplet.cmake" \
        -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-s "${configure[@]}"
    cmake --build "$dir" --parallel 2 ${targets[@]+--target "${targets[@]}"}
}

# Signs a Windows program in place (Authenticode, SHA-256) with osslsigncode:
#   sign_windows_program FILE CERT KEY [PASSWORD_FILE] [TIMESTAMP_URL]
# CERT holds the code-signing certificate and its chain (PEM or DER), KEY its private key; a key
# with a passphrase needs PASSWORD_FILE. With TIMESTAMP_URL a time-stamping server (RFC 3161)
# countersigns, so the signature outlives the certificate.
sign_windows_program() {
    local file=$1 cert=$2 key=$3 password=${4:-} timestamp=${5:-}
    osslsigncode sign -certs "$cert" -key "$key" ${password:+-readpass "$password"} -h sha256 \
        -n "Kormand Velto Studio RepairTool" ${timestamp:+-ts "$timestamp"} \
        -in "$file" -out "$file.signed" >/dev/null || {
        rm -f "$file.signed"
        return 1
    }
    mv "$file.signed" "$file"
}

# Makes a fresh prefix in $WINEPREFIX. Wine's own fonts (package fonts-wine) go into its Fonts
# folder, where Debian's Wine finds them: among them Tahoma, which the toolkit's default font
# "MS Shell Dlg 2" stands for on Windows; without it Qt falls back to any font at hand.
init_wine_prefix() {
    "$WINE" wineboot --init >/dev/null 2>&1
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    "$WINESERVER" -w
}
