#!/usr/bin/env bash
# Lists the tests of the last ctest run in a build directory that failed
# once and passed on their retry (ctest --repeat until-pass), so a run that
# is green still shows which rows lost a race with the machine's load.
#   scripts/retried-tests.sh BUILD_DIR
set -euo pipefail
dir=${1:?usage: $0 BUILD_DIR}
log="$dir/Testing/Temporary/LastTest.log"
[ -r "$log" ] || exit 0
awk '
/^[0-9]+\/[0-9]+ Test: / { name = $3; next }
name != "" && /^Test Failed\./ { failures[name]++; name = ""; next }
name != "" && /^Test Passed\./ { passed[name] = 1; name = ""; next }
END {
  n = 0
  for (t in failures) if (t in passed) list[++n] = t
  if (n == 0) exit
  print "passed only on their retry (" n "):"
  for (i = 1; i <= n; i++) print "  " list[i]
}' "$log"
