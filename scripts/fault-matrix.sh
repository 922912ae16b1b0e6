#!/usr/bin/env bash
# The long run of the fault matrix: every fault (service killed, service
# stopped, sender killed, connection reset, stalled reader) at seeded random
# points, a second fault that strikes the resume, a full disk under the journal
# then a kill, and a journal damaged or put back older; then the documented
# resume. Each trial checks that the service holds every recipient exactly once
# and that qbsend's exit codes say whether the rest is pending.
# Usage: scripts/fault-matrix.sh [TRIALS [RECORDS [SEED]]]   (default 10 200000 20261208)
# Needs a build in build/ (scripts/test.sh --quick makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
export QB_FAULT_TRIALS=${1:-10} QB_FAULT_RECORDS=${2:-200000} QB_FAULT_SEED=${3:-20261208}
export QT_QPA_PLATFORM=offscreen TZ=Asia/Seoul
exec build/tests/integration_tests --gtest_filter='Faults/FaultMatrix.*'
