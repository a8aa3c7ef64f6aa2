#!/usr/bin/env python3
"""Writes the first records of a frame trace in the fuzzer's compact form (see trace_fuzz.cpp), as a seed."""
import argparse
import sys

HEADER = 32
FIELDS = 16
RECORD = 64784
MAX_PATCH = 255
# Unchanged bytes shorter than this between two changed runs are sent along rather than starting a new patch.
GAP = 8


def patches(before, after):
    runs = []
    i = 0
    while i < len(after):
        if before[i] == after[i]:
            i += 1
            continue
        start = i
        end = i + 1
        while end < len(after) and end - start < MAX_PATCH:
            if before[end] != after[end]:
                end += 1
            elif any(before[j] != after[j] for j in range(end, min(end + GAP, len(after)))):
                end += 1
            else:
                break
        runs.append((start, after[start:end]))
        i = end
    return runs


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("trace")
    parser.add_argument("seed")
    parser.add_argument("--records", type=int, default=4)
    args = parser.parse_args()
    data = open(args.trace, "rb").read()
    out = bytearray(data[:HEADER])
    body = bytes(RECORD - FIELDS)
    for k in range(args.records):
        record = data[HEADER + k * RECORD:HEADER + (k + 1) * RECORD]
        if len(record) < RECORD:
            break
        runs = patches(body, record[FIELDS:])
        if len(runs) > 0xFFFF:
            sys.exit(f"record {k} changes in {len(runs)} places, more than a seed can hold")
        out += record[:FIELDS] + len(runs).to_bytes(2, "little")
        for offset, run in runs:
            out += offset.to_bytes(3, "little") + bytes([len(run)]) + run
        body = record[FIELDS:]
    open(args.seed, "wb").write(out)


if __name__ == "__main__":
    main()
