#!/bin/sh
# Every window as a person sees it, and the window program's memory at
# start-up and after use: the program under a private Xvfb with the openbox
# window manager, driven through its menu and spinners with xdotool, the
# screen saved with ImageMagick's import.
#
#   bench/screenshots.sh [BUILD_DIR] [OUT_DIR] [WIDTHxHEIGHT] [SCALE]
#
# Writes OUT_DIR/main.png, yearlist.png, astrodata.png, settings.png and
# after-use.png, and prints the resident memory (VmRSS, peak VmHWM) after
# start-up and after 200 date steps and opening each window five times.
# Needs xvfb, openbox, xdotool and imagemagick. SCALE sets QT_SCALE_FACTOR.
set -eu
build=$(cd "${1:-build}" && pwd)
out=${2:-shots}
size=${3:-1366x768}
scale=${4:-1}
exe="$build/ombrel"
[ -x "$exe" ] || { echo "no $exe (build the ombrel target first)" >&2; exit 2; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
cp "$build/History.mdb" "$work/"
display=:$(( $$ % 400 + 100 ))
Xvfb "$display" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY="$display"
tries=0
until xdpyinfo >/dev/null 2>&1 || [ "$tries" -gt 100 ]; do sleep 0.1; tries=$((tries + 1)); done
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

QT_SCALE_FACTOR=$scale "$exe" --workdir "$work" >/dev/null 2>&1 &
app=$!
main=$(xdotool search --sync --onlyvisible --name '^Ombrelの窓$' | head -1)
sleep 1
memory() {
  printf '%-12s %s, %s\n' "$1" "$(grep VmRSS /proc/$app/status | tr -s ' \t' ' ')" \
    "$(grep VmHWM /proc/$app/status | tr -s ' \t' ' ')"
}
memory "start-up:"
shot() { sleep 0.7; import -window root "$out/$1.png"; }
shot main

# The form's origin on the screen (the window's client area: menu bar, then form).
X=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ {print $4}')
Y=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ {print $4}')
s=$scale
at() { xdotool mousemove "$(echo "$X + $1 * $s" | bc | cut -d. -f1)" "$(echo "$Y + $2 * $s" | bc | cut -d. -f1)" click 1; }
menu_bar=10            # the menu bar's middle, y
menu_yearlist=100      # 年間暦一覧表, x
menu_astrodata=175     # 天文データ, x
menu_settings=235      # 設定値, x
# Esc to the window just opened, which has the focus.
close_window() { xdotool search --sync --onlyvisible --name "$1" >/dev/null; sleep 0.3; xdotool key Escape; sleep 0.3; }

at "$menu_yearlist" "$menu_bar"
xdotool search --sync --onlyvisible --name '^一覧表$' >/dev/null
shot yearlist
close_window '^一覧表$'
at "$menu_astrodata" "$menu_bar"
xdotool search --sync --onlyvisible --name '^天文データ$' >/dev/null
shot astrodata
close_window '^天文データ$'
at "$menu_settings" "$menu_bar"
sleep 0.3
xdotool key Down Return
xdotool search --sync --onlyvisible --name '設定' >/dev/null && shot settings
xdotool key Escape

# Use: 200 steps of the day spinner's up arrow, each window opened five times.
i=0
while [ "$i" -lt 200 ]; do at 220 45; i=$((i + 1)); done
i=0
while [ "$i" -lt 5 ]; do
  at "$menu_yearlist" "$menu_bar"; close_window '^一覧表$'
  at "$menu_astrodata" "$menu_bar"; close_window '^天文データ$'
  i=$((i + 1))
done
shot after-use
memory "after use:"
