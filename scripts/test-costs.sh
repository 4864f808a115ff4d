#!/usr/bin/env bash
# Tells ctest how long a row of each test suite takes, so that a run on a
# fresh build starts the slowest rows first instead of meeting them last,
# when one long row may be all that still runs.
#   scripts/test-costs.sh BUILD_DIR [PREFIX...]
#       writes BUILD_DIR's cost data from tests/test-costs.txt, unless ctest
#       measured its own there; PREFIX runs the test programs (they list
#       their rows when ctest reads the tests)
#   scripts/test-costs.sh --measure BUILD_DIR
#       prints the mean seconds of a row of each suite, from what ctest
#       measured in BUILD_DIR: the contents of tests/test-costs.txt
set -euo pipefail
cd "$(dirname "$0")/.."

# A row's suite: its name up to the first dot, without the parameter
# prefix ("WindowManagers/MaximiseTest.Every…/mutter" is MaximiseTest's).
suite='function suite(name,  s) { s = name; sub(/\..*/, "", s); sub(/.*\//, "", s); return s }'

if [ "${1:-}" = "--measure" ]; then
  data="${2:?usage: $0 --measure BUILD_DIR}/Testing/Temporary/CTestCostData.txt"
  echo "# Mean seconds of a row of each test suite (scripts/test-costs.sh --measure)."
  awk "$suite"'
    /^---/ { exit }
    NF >= 3 { k = suite($1); sum[k] += $NF; n[k]++ }
    END { for (k in sum) printf "%s %.2f\n", k, sum[k] / n[k] }' "$data" | sort -k2,2nr -k1,1
  exit 0
fi

dir=${1:?usage: $0 BUILD_DIR [PREFIX...]}
shift
data="$dir/Testing/Temporary/CTestCostData.txt"
[ -e "$data" ] && exit 0
mkdir -p "$(dirname "$data")"
"$@" ctest --test-dir "$dir" -N | awk "$suite"'
  FNR == NR { if ($1 !~ /^#/ && NF == 2) cost[$1] = $2; next }
  /^ *Test +#[0-9]+: / {
    name = $0; sub(/^ *Test +#[0-9]+: /, "", name)  # with "  # GetParam() = …"
    if (suite(name) in cost) print name, 1, cost[suite(name)]
  }
  END { print "---" }' tests/test-costs.txt - > "$data"
