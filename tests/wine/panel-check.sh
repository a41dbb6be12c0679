#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Run by scripts/test-windows.sh inside xvfb-run: starts tavrel.exe under
# Wine with the windows platform plugin and checks, from the X window list,
# that its main window appears (WORK/panel.png is a screenshot of it), that
# a button opens its dialog (Tab from Quit to Com Port Settings, Space), and
# that the system menu (Alt+Space) has the About item (its last item opens
# the About box).
#
# Usage: panel-check.sh TAVREL_EXE WORK
set -euo pipefail
panel="$1"
work="$2"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Waits until a window of that title exists and prints its id.
wait_for_window() {
  local title="$1" id
  for _ in $(seq 300); do
    id="$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1 || true)"
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.2
  done
  echo "panel-check: no window \"$title\" after 60 s; windows: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|')" >&2
  return 1
}

"$root/scripts/wine-run.sh" "$panel" -platform windows --no-emulator-window >"$work/panel.log" 2>&1 &
wine_pid=$!
trap 'kill "$wine_pid" 2>/dev/null || true' EXIT

main="$(wait_for_window "Quennel Control")"
sleep 1
import -window root "$work/panel.png"
echo "panel-check: main window $main, screenshot $work/panel.png"

xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" Tab space
settings="$(wait_for_window "Com Port Settings")"
import -window root "$work/panel-settings.png"
echo "panel-check: Com Port Settings opened ($settings)"
xdotool key --window "$settings" Escape
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^Com Port Settings$' >/dev/null 2>&1 || break
  sleep 0.2
done

xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main"
xdotool key --window "$main" alt+space
sleep 1
import -window root "$work/panel-system-menu.png"
# Wine adds its own About item above ours, with the same letter: the last
# item of the menu is ours.
xdotool key Up Return
about="$(wait_for_window "About Tavrel")"
import -window root "$work/panel-about.png"
echo "panel-check: the system menu's About item opened the About box ($about)"
