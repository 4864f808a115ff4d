#!/usr/bin/env bash
# Prints the window manager x behaviour table of the last ctest run in a
# build directory: every value-parameterised test instantiated as
# "WindowManagers" (one per window manager and behaviour) as pass, FAIL or
# skip, followed by the reasons given for skips. Reads ctest's own log, so
# it works after any ctest run, whatever its -j or -R.
#   scripts/x11-wm-table.sh BUILD_DIR
set -euo pipefail
dir=${1:?usage: $0 BUILD_DIR}
log="$dir/Testing/Temporary/LastTest.log"
if [ ! -r "$log" ]; then
  echo "x11-wm-table: no ctest log in $dir" >&2
  exit 0
fi

awk '
function flush() {
  if (name == "") return
  split(name, parts, "/")             # WindowManagers / Fixture.Behaviour / wm
  behaviour = parts[2]; wm = parts[3]
  if (!(behaviour in seenB)) { seenB[behaviour] = 1; behaviours[++nb] = behaviour }
  if (!(wm in seenW)) { seenW[wm] = 1; extra[++nx] = wm }
  result[behaviour, wm] = status
  if (status == "skip" && reason != "") reasons[wm ": " reason] = reasons[wm ": " reason] " " behaviour
  name = ""
}
/^[0-9]+\/[0-9]+ Test: / {
  flush()
  n = $3
  if (n ~ /^WindowManagers\//) { name = n; status = "FAIL"; reason = ""; skipLine = 0 }
  next
}
name != "" && /: Skipped$/ { skipLine = 1; next }
name != "" && skipLine == 1 { reason = $0; skipLine = 2; next }
name != "" && /^Test Passed\./ { status = "pass"; next }
name != "" && /^Skip regular expression found/ { status = "skip"; next }
name != "" && /^Test Failed\./ { status = "FAIL"; next }
name != "" && / end time: / { flush(); next }
END {
  flush()
  if (nb == 0) { print "x11-wm-table: no window manager tests in this run"; exit }
  split("openbox_test openbox xfwm4 fluxbox icewm metacity marco i3 kwin kwin_composited mutter muffin", order, " ")
  nw = 0
  for (i = 1; i in order; i++) if (order[i] in seenW) { wms[++nw] = order[i]; known[order[i]] = 1 }
  for (i = 1; i <= nx; i++) if (!(extra[i] in known)) wms[++nw] = extra[i]
  width = 9
  for (i = 1; i <= nb; i++) if (length(behaviours[i]) > width) width = length(behaviours[i])
  printf "%-" width "s", "behaviour"
  for (j = 1; j <= nw; j++) printf "  %-*s", (length(wms[j]) > 4 ? length(wms[j]) : 4), wms[j]
  printf "\n"
  failed = 0
  for (i = 1; i <= nb; i++) {
    printf "%-" width "s", behaviours[i]
    for (j = 1; j <= nw; j++) {
      cell = ((behaviours[i], wms[j]) in result) ? result[behaviours[i], wms[j]] : "-"
      if (cell == "FAIL") failed++
      printf "  %-*s", (length(wms[j]) > 4 ? length(wms[j]) : 4), cell
    }
    printf "\n"
  }
  first = 1
  for (r in reasons) {
    if (first) { print "skipped:"; first = 0 }
    split(reasons[r], list, " ")
    count = 0; for (k in list) count++
    printf "  %s (%d test%s)\n", r, count, count == 1 ? "" : "s"
  }
  printf "%d failed\n", failed
}
' "$log"
