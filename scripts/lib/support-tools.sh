# Support's tools as a per-user MSI, for scripts/build-windows: KormandLogViewer.exe and
# repairlog.exe built for 64-bit Windows, signed like the tool where a certificate is given, and
# packed by scripts/lib/support-tools-msi. Needs scripts/lib/windows.sh.

# Builds dist/KormandSupportTools-<version>-x64.msi from the build folder BUILD_DIR and prints its
# size and SHA-256:  build_support_tools_msi BUILD_DIR VERSION
build_support_tools_msi() {
    local dir=$1 version=$2
    build_windows x86_64-w64-mingw32 "$dir" -DREPAIRTOOL_BUILD_TESTS=OFF -- KormandLogViewer repairlog
    "$REPO_ROOT/tests/windows/check_pe_resources.py" --machine x86-64 --subsystem console \
        --description "Leser der Support-Logs des Kormand Velto Studio RepairTool" --version "$version" \
        "$dir/bin/repairlog.exe"
    local programs=$dir/support-tools exe
    rm -rf "$programs"
    mkdir -p "$programs"
    cp "$dir/bin/KormandLogViewer.exe" "$dir/bin/repairlog.exe" "$programs/"
    local msi=$REPO_ROOT/dist/KormandSupportTools-$version-x64.msi
    mkdir -p "$REPO_ROOT/dist"
    if support_tools_signed; then
        for exe in "$programs"/*.exe; do
            sign_support_tool "$exe"
        done
    fi
    "$REPO_ROOT/scripts/lib/support-tools-msi" "$version" "$programs/KormandLogViewer.exe" \
        "$programs/repairlog.exe" "$msi"
    echo "$msi: $(stat -c %s "$msi") bytes ($(du -h "$msi" | cut -f1))"
    if support_tools_signed; then
        echo "SHA-256 of the package (its programs signed, itself unsigned): $(sha256sum "$msi" | cut -d' ' -f1)"
        sign_support_tool "$msi"
        echo "SHA-256 of $(basename "$msi") (signed): $(sha256sum "$msi" | cut -d' ' -f1)"
    else
        echo "SHA-256 of $(basename "$msi") (unsigned): $(sha256sum "$msi" | cut -d' ' -f1)"
    fi
}

# Whether scripts/build-windows was given a code-signing certificate and its key.
support_tools_signed() {
    [ -n "${REPAIRTOOL_SIGN_CERT:-}" ] && [ -n "${REPAIRTOOL_SIGN_KEY:-}" ]
}

sign_support_tool() {
    sign_windows_program "$1" "$REPAIRTOOL_SIGN_CERT" "$REPAIRTOOL_SIGN_KEY" \
        "${REPAIRTOOL_SIGN_PASSWORD_FILE:-}" "${REPAIRTOOL_SIGN_TIMESTAMP_URL:-}"
}
