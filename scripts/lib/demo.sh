# The demo system that scripts/run starts the tool on: Velto Studio's footprint in the stand-in
# registry and known folders, so that every button has something real to do. Sourced by scripts.

# Where scripts/run keeps the demo system. Not the tool's own default root: the folder fixes turn
# every "KormandRepairTool" in a path into "Kormand", so a root whose path holds the tool's name
# would send them to folders that do not exist.
DEMO_ROOT=${XDG_DATA_HOME:-$HOME/.local/share}/velto-repair-demo
# Marks a root as seeded by seed_demo_system, and tells whoever looks in how to start over.
DEMO_MARKER=README-demo.txt

# Seeds the demo system into the folder $1 unless it is seeded already. A folder that holds
# something else is left alone. Seeding happens in a sibling folder that is renamed into place,
# so an interrupted run leaves no half-seeded root behind.
seed_demo_system() {
    local root=$1
    [ -e "$root/$DEMO_MARKER" ] && return 0
    if [ -e "$root" ] && [ -n "$(ls -A "$root" 2>/dev/null)" ]; then
        echo "Not seeding $root: it holds a stand-in system that was not seeded as the demo." >&2
        echo "Remove it to get the demo: rm -rf '$root'" >&2
        return 0
    fi
    mkdir -p "$(dirname "$root")"
    local seed
    seed=$(mktemp -d "$root.seeding.XXXXXX")
    write_demo_system "$seed" "$root"
    rmdir "$root" 2>/dev/null || true
    mv "$seed" "$root"
}

# Writes the demo system into the empty folder $1, which will be moved to $2.
write_demo_system() {
    local root=$1 final=$2
    # The tool names the roaming folder after $USER, as Windows does after the account.
    local roaming="$root/Users/${USER:-user}/AppData/Roaming"
    local studio="$roaming/Kormand/Velto-Studio Profi"
    local programdata="$root/ProgramData"

    mkdir -p "$root/registry" "$studio/Playlisten" "$studio/Cover" "$roaming/Microsoft/Windows" \
        "$programdata/Kormand/Velto Studio/Backup" "$programdata/Microsoft/Windows"

    # Registry Editor export format; the tool keeps a file's encoding and line ends when it saves.
    cat > "$root/registry/HKEY_CURRENT_USER.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Kormand]

[HKEY_CURRENT_USER\Software\Kormand\Updater]
"LetztePruefung"="2026-11-30"

[HKEY_CURRENT_USER\Software\Kormand\Velto Studio]
"InstallDir"="C:\\Program Files (x86)\\Kormand\\Velto Studio"
"Version"="4.2.1"
"Sprache"="Deutsch"
"ErsterStart"=dword:00000000

[HKEY_CURRENT_USER\Software\Kormand\Velto Studio\Fenster]

[HKEY_CURRENT_USER\Software\Kormand\Velto Studio\Pfade]
"Backup"="C:\\ProgramData\\Kormand\\Velto Studio\\Backup"
"Cover"="%APPDATA%\\Kormand\\Velto-Studio Profi\\Cover"
"Playlisten"="%APPDATA%\\Kormand\\Velto-Studio Profi\\Playlisten"

[HKEY_CURRENT_USER\Software\Kormand\Velto Studio\Player]
"Lautstärke"=dword:00000050
"Überblendung"=dword:00000003

[HKEY_CURRENT_USER\Software\Kormand\Velto Studio\Player\Decks]
"Anzahl"=dword:00000004
"LetzteDatei"="D:\\Musik\\Sommer Mix 2026.mp3"

[HKEY_CURRENT_USER\Software\Microsoft\Notepad]
"fWrap"=dword:00000001

REG
    cat > "$root/registry/HKEY_LOCAL_MACHINE.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SOFTWARE\Kormand]

[HKEY_LOCAL_MACHINE\SOFTWARE\Kormand\Velto Studio]
"InstallDir"="C:\\Program Files (x86)\\Kormand\\Velto Studio"
"Lizenz"="Profi"
"Seriennummer"="VS-2026-0815-4711"

[HKEY_LOCAL_MACHINE\SOFTWARE\Kormand\Velto Studio\Module\Audio]
"Treiber"="ASIO"
"Puffer"=dword:00000100

[HKEY_LOCAL_MACHINE\SOFTWARE\Kormand\Velto Studio\Module\Brenner]
"Aktiv"=dword:00000001

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System]
"ConsentPromptBehaviorAdmin"=dword:00000005
"EnableLUA"=dword:00000001
"PromptOnSecureDesktop"=dword:00000001

REG

    printf '[Benutzer]\nPasswortGesetzt=1\n' > "$studio/velto.set"
    printf '[Benutzer]\nPasswortGesetzt=1\n' > "$studio/velto.~se"
    printf '[Oberflaeche]\nSprache=Deutsch\n' > "$studio/oberflaeche.ini"
    printf '#EXTM3U\nD:\\Musik\\Sommer Mix 2026.mp3\n' > "$studio/Playlisten/Sommer.m3u"
    printf 'Platzhalter für ein Cover\n' > "$studio/Cover/Sommer Mix 2026.txt"
    printf 'Platzhalter für eine Sicherung\n' > "$programdata/Kormand/Velto Studio/Backup/Playlisten-2026-11-30.bak"
    printf 'Nicht von Kormand: bleibt bei jedem Fix stehen.\n' \
        | tee "$roaming/Microsoft/Windows/nicht-von-kormand.txt" \
        > "$programdata/Microsoft/Windows/nicht-von-kormand.txt"

    cat > "$root/$DEMO_MARKER" <<EOF
Demo system of the Velto Studio RepairTool, seeded by scripts/run.

registry/            the stand-in registry: one Registry Editor export per hive
Users/.../AppData/Roaming/Kormand, ProgramData/Kormand
                     Velto Studio's data folders (the settings files are in
                     Users/.../AppData/Roaming/Kormand/Velto-Studio Profi)

To start over, remove this folder; the next scripts/run seeds it again:
    rm -rf '$final'
EOF
}

# Writes the demo system into the empty folder $2 with Kormand's two registry trees replaced by
# those rebuilt from the support log $1 (the rest of the demo stays: a log holds no folders).
seed_demo_from_log() {
    local log=$1 root=$2 hive status damaged=0
    write_demo_system "$root" "$root"
    for hive in HKEY_CURRENT_USER HKEY_LOCAL_MACHINE; do
        local tree="$root/registry/$hive.from-log"
        # Exit code 1 is a damaged log, rebuilt as far as it goes; repairlog names what it found.
        status=0
        "$BUILD_DIR/bin/repairlog" reg --hive "$hive" -o "$tree" "$log" 2>/dev/null || status=$?
        if [ "$status" -gt 1 ] || [ ! -f "$tree" ]; then
            "$BUILD_DIR/bin/repairlog" check "$log" >&2 || true
            echo "scripts/run: no registry trees to rebuild from $log" >&2
            return 1
        fi
        # The stand-in reads sections in order: the demo's Kormand tree is removed, the log's
        # added. The rest of the demo's hive (policies, other programs) stays.
        {
            case $hive in
            HKEY_CURRENT_USER) printf '\n[-HKEY_CURRENT_USER\\Software\\Kormand]\n' ;;
            *) printf '\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Kormand]\n' ;;
            esac
            iconv -f UTF-16 -t UTF-8 "$tree" | tr -d '\r' | tail -n +2
        } >> "$root/registry/$hive.reg"
        rm "$tree"
        [ "$status" -eq 0 ] || damaged=1
    done
    [ "$damaged" -eq 0 ] || "$BUILD_DIR/bin/repairlog" check "$log" >&2 || true
}
