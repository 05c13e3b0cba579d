#!/usr/bin/env python3
"""CPU time of processes over a span of time, read from /proc.

Usage: proc_cpu.py SECONDS LABEL=PID [LABEL=PID ...]

For each process: user + system time from /proc/PID/stat (clock ticks) over the span, scaled to
seconds per 10 s, the resident memory (VmRSS) at the end, and per thread the run time and the
number of times it ran (/proc/PID/task/TID/schedstat, ns resolution), i.e. its wake-ups.
"""
import os
import sys
import time

TICK = os.sysconf("SC_CLK_TCK")


def stat_seconds(path):
    with open(path) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # fields[0] is the state (field 3); utime and stime are fields 14 and 15.
    return (int(fields[11]) + int(fields[12])) / TICK


def threads(pid):
    out = {}
    base = f"/proc/{pid}/task"
    for tid in os.listdir(base):
        try:
            with open(f"{base}/{tid}/comm") as f:
                name = f.read().strip()
            with open(f"{base}/{tid}/schedstat") as f:
                run_ns, _, runs = (int(x) for x in f.read().split())
            if tid == str(pid):
                name += " (main)"
            out[tid] = (name, run_ns, runs, stat_seconds(f"{base}/{tid}/stat"))
        except OSError:
            pass
    return out


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    seconds = float(sys.argv[1])
    procs = [arg.split("=", 1) for arg in sys.argv[2:]]
    before = {pid: (stat_seconds(f"/proc/{pid}/stat"), threads(pid)) for _, pid in procs}
    start = time.monotonic()
    time.sleep(seconds)
    span = time.monotonic() - start
    for label, pid in procs:
        total0, threads0 = before[pid]
        try:
            total = stat_seconds(f"/proc/{pid}/stat") - total0
            threads1 = threads(pid)
            rss = rss_kib(pid)
        except OSError:
            print(f"{label:<18} process {pid} ended")
            continue
        run_total = sum(t[1] for t in threads1.values()) - sum(
            t[1] for tid, t in threads0.items() if tid in threads1)
        print(f"{label:<18} CPU {total:.3f} s in {span:.0f} s (stat) = {total / span * 10:.4f} s "
              f"per 10 s; run time {run_total / 1e9:.4f} s (schedstat) = "
              f"{run_total / 1e9 / span * 10:.5f} s per 10 s; RSS {rss} KiB")
        for tid, (name, run_ns, runs, _) in sorted(threads1.items()):
            old = threads0.get(tid, (name, 0, 0, 0))
            woke = runs - old[2]
            if woke > 0:
                used = (run_ns - old[1]) / 1e9
                print(f"    thread {name:<23} {used:.5f} s  {woke / span:7.2f} wake-ups/s  "
                      f"{used / woke * 1000:.3f} ms per wake-up")


if __name__ == "__main__":
    main()
