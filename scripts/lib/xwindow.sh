# Shared by the scripts that look at a program's window on an X display (the documentation's
# pictures, the check of the shipped program): finding the window by its title and keeping a picture of it.
# Each X tool gets a time limit: a window that goes away while one looks at it can stall it.

# Prints the X id of the first top-level window whose title holds TITLE (with --exact: is
# exactly TITLE), waiting up to 120 s; fails at once when the process PID has ended.
#   wait_for_window [--exact] TITLE PID
wait_for_window() {
    local exact=
    [ "$1" != --exact ] || { exact=1; shift; }
    local title=$1 pid=$2 id
    for _ in $(seq 600); do
        if [ -n "$exact" ]; then
            id=$(timeout 20 xwininfo -name "$title" 2>/dev/null | awk '/Window id:/ { print $4 }') || true
        else
            id=$(timeout 20 xdotool search --name "$title" 2>/dev/null | head -n 1) || true
        fi
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

# Keeps a picture of a window in FILE (PNG, no time stamps) once it is drawn: a window that has
# just appeared may not be readable yet, and one of fewer than 16 colours shows nothing yet.
#   save_window_picture WINDOW FILE
save_window_picture() {
    local window=$1 file=$2
    for _ in $(seq 20); do
        timeout 20 import -window "$window" -strip -define png:exclude-chunks=date,time \
            "PNG24:$file" 2>/dev/null && [ "$(identify -format %k "$file")" -ge 16 ] && return 0
        sleep 0.5
    done
    return 1
}
