#!/usr/bin/env bash
# Turns a VESK_TRACE=presents log of vesk into pacing figures: the present interval's mean, standard deviation and
# worst; refreshes that showed the same frame again (repeated) and frames that never got a refresh of their own
# (skipped, presented less than half a refresh after the one before).
# Usage: bench/realtime/pacing.sh <log> [refresh rate in Hz, default 60] [seconds to leave out at the start, default 1]
set -euo pipefail
log=${1:?usage: pacing.sh <log of VESK_TRACE=presents> [Hz] [seconds to skip]}
hz=${2:-60}
skip=${3:-1}
awk -v hz="$hz" -v skip="$skip" '
  $1 == "vesk-trace" && $3 == "present" {
    t = $2 + 0
    if (first == "") first = t
    if (t - first < skip * 1000) next
    if (last != "") {
      d = t - last
      n++; sum += d; sq += d * d
      if (d > worst) worst = d
      k = int(d / period + 0.5)
      if (k >= 2) repeated += k - 1
      if (d < period / 2) skipped++
    }
    last = t
  }
  BEGIN { period = 1000 / hz }
  END {
    if (n < 2) { print "too few presents in the log (was it run with VESK_TRACE=presents?)"; exit 1 }
    mean = sum / n
    sd = sqrt(sq / n - mean * mean)
    printf "  presents measured               %6d over %.1f s (%.1f frames/s)\n", n + 1, (last - first) / 1000 - skip, n * 1000 / sum
    printf "  present interval                %6.2f ms mean, %.2f ms standard deviation, %.2f ms worst (refresh %.2f ms)\n", mean, sd, worst, period
    printf "  repeated refreshes              %6d (%.1f %% of the refreshes)\n", repeated, 100 * repeated / (sum / period)
    printf "  skipped frames                  %6d\n", skipped
  }' "$log"
