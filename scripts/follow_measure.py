#!/usr/bin/env python3
"""Measures `rxpost vtk --follow` (Linux; not run in CI):

1. idle: the run follows a one-step file that does not grow for IDLE seconds
   (CPU time used while it waits, peak memory);
2. growth: the run follows a file to which the steps of a made NX x NY model
   are appended in 1 MiB pieces, step after step; for each step the delay from
   its last byte to its time in the .pvd; then peak memory and CPU time.

usage: scripts/follow_measure.py BUILD_DIR WORK_DIR [--nx 1000 --ny 1000 --steps 50 --idle 60]
"""
import argparse
import os
import signal
import struct
import subprocess
import time


def cpu_seconds(pid):
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def peak_memory_mb(pid):
    for line in open(f"/proc/{pid}/status"):
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) / 1024
    return 0.0


def record_ends(path):
    ends, at, size = [], 0, os.path.getsize(path)
    with open(path, "rb") as f:
        while at < size:
            f.seek(at)
            at += struct.unpack("<i", f.read(4))[0] + 8
            ends.append(at)
    return ends


def wait_for_time(collection, time_text, limit=120.0):
    start = time.monotonic()
    while time.monotonic() - start < limit:
        try:
            if f'timestep="{time_text}"' in open(collection).read():
                return time.monotonic()
        except FileNotFoundError:
            pass
        time.sleep(0.001)
    raise SystemExit(f"step at time {time_text} never listed")


def follow(build, args):
    return subprocess.Popen([os.path.join(build, "rxpost"), "vtk", *args, "--follow"])


def stop(run):
    run.send_signal(signal.SIGINT)
    return run.wait(timeout=60)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("work")
    parser.add_argument("--nx", type=int, default=1000)
    parser.add_argument("--ny", type=int, default=1000)
    parser.add_argument("--steps", type=int, default=50)
    parser.add_argument("--idle", type=float, default=60)
    a = parser.parse_args()
    os.makedirs(a.work, exist_ok=True)
    made = os.path.join(a.work, "made.bin")
    subprocess.run([os.path.join(a.build, "make_result_file"), "--program", "korin", "--nx",
                    str(a.nx), "--ny", str(a.ny), "--steps", str(a.steps), "--seed", "1",
                    "--out", made], check=True)
    ends = record_ends(made)
    grows, collection = os.path.join(a.work, "grows.bin"), os.path.join(a.work, "out.pvd")

    # 1. idle: one step present, no growth (skipped with --idle 0).
    if a.idle > 0:
        with open(made, "rb") as src, open(grows, "wb") as out:
            out.write(src.read(ends[7]))
        run = follow(a.build, [grows, collection])
        wait_for_time(collection, "86400")
        time.sleep(1)
        cpu_before = cpu_seconds(run.pid)
        time.sleep(a.idle)
        cpu_idle = cpu_seconds(run.pid) - cpu_before
        print(f"idle {a.idle:.0f} s: CPU {cpu_idle:.3f} s while waiting, "
              f"{cpu_seconds(run.pid):.2f} s in all; peak memory {peak_memory_mb(run.pid):.0f} MB")
        stop(run)
        os.remove(collection)

    # 2. growth: the header, then each step in 1 MiB pieces.
    with open(made, "rb") as src, open(grows, "wb") as out:
        out.write(src.read(ends[4]))
    run = follow(a.build, [grows, collection])
    delays = []
    start = time.monotonic()
    with open(made, "rb") as src, open(grows, "ab") as out:
        src.seek(ends[4])
        for k in range(a.steps):
            left = ends[4 + 3 * (k + 1)] - src.tell()
            while left > 0:
                piece = src.read(min(left, 1 << 20))
                out.write(piece)
                out.flush()
                left -= len(piece)
            last_byte = time.monotonic()
            delays.append(wait_for_time(collection, str(86400 * (k + 1))) - last_byte)
    total = time.monotonic() - start
    print(f"growth, {a.steps} steps of {a.nx} x {a.ny} nodes in {total:.1f} s: "
          f"CPU {cpu_seconds(run.pid):.2f} s, peak memory {peak_memory_mb(run.pid):.0f} MB")
    delays.sort()
    print(f"delay from a step's last byte to its name in the .pvd: median "
          f"{delays[len(delays) // 2] * 1000:.0f} ms, max {delays[-1] * 1000:.0f} ms, "
          f"min {delays[0] * 1000:.0f} ms")
    print(f"status after Ctrl-C: {stop(run)}")


if __name__ == "__main__":
    main()
