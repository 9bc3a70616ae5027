#!/usr/bin/env bash
# The seeded fault soak: 1000 operations of every tool, each with a fault drawn from the
# seed (the same seed draws the same faults on the same data), run in-process under a
# watchdog. Prints runs, faults injected, hangs, crashes, false successes and lost data,
# and fails unless the last four are 0; a crash of the program itself fails it too. As
# root, "disk full" is a private tmpfs that fills up mid-image; otherwise /dev/full.
#   scripts/soak.sh [seed] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
seed=${1:-1}
runs=${2:-1000}
scripts/setup.sh build
build/tests/reliability/soak_reliability --runs "$runs" --seed "$seed" --jobs 4
