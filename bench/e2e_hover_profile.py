#!/usr/bin/env python3
"""Where picdock's time goes during each hover of bench_e2e_hover.

  PICDOCK_BENCH_PERF=/tmp/hover.data bench_e2e_hover
  bench/e2e_hover_profile.py /tmp/hover.data

Reads the samples of `perf script` and the hover stretches the benchmark
wrote to <data>.hovers, and sums, per picture and per hover, the processor
time of each step of the hover path by the frames on the sample's stack. The
wall time of a stretch less the time on a processor is time spent waiting
(for the server, for a processor, for the other thread).
"""
import collections
import subprocess
import sys

# The first step whose frame is on the stack takes the sample; sub-steps
# come before the step they belong to. A sub-step is told by a frame below
# the step's own (nearer the leaf). Copies into fresh memory include the page
# faults of their first touch.
STEPS = [
    ("read: zero-filling the buffer", ["ReadFileBounded"], ["memset"]),
    ("read: the file's bytes", ["ReadFileBounded"], []),
    ("measure: GetImageHeight/Width", ["GetImageHeight", "GetImageWidth"], []),
    ("decoder: copying the bytes", ["SetPictureBytes"], ["memcpy", "memmove"]),
    ("decoder: releasing the previous picture", ["SetPictureBytes"],
     ["munmap", "free", "_int_free"]),
    ("decoder: open (probe)", ["OpenPicture"], []),
    ("decoder: other", ["SetPictureBytes"], []),
    ("decode: RenderFrame", ["RenderFrame"], []),
    ("upload: shared segment made", ["SharedImage::Make"], []),
    ("upload: first touch of a new segment", ["Paint"], ["shmem_fault"]),
    ("upload: copy into the segment", ["Paint"], ["memcpy", "memmove"]),
    ("upload: release of the old frame", ["Paint"], ["munmap", "free", "_int_free"]),
    ("upload: put and other", ["Paint"], []),
    ("window and list writes", ["ListMouseMoved"], []),
    ("animation", ["AdvanceAnimations"], []),
    ("event collection", ["CollectEvents"], []),
    ("waiting in poll (kernel)", ["WaitForInput"], []),
]


def classify(frames):
    for name, anchors, leaves in STEPS:
        anchor_at = next((i for i, f in enumerate(frames) if any(a in f for a in anchors)), None)
        if anchor_at is None:
            continue
        if not leaves or any(l in f for f in frames[:anchor_at] for l in leaves):
            return name
    return "other"


def samples(data):
    script = subprocess.run(
        ["perf", "script", "-i", data, "-F", "tid,time,period,ip,sym"],
        check=True, capture_output=True, text=True).stdout
    for block in script.split("\n\n"):
        lines = [l for l in block.splitlines() if l.strip()]
        if not lines:
            continue
        head = lines[0].split()
        tid, time, period = int(head[0]), float(head[1].rstrip(":")), int(head[2])
        frames = [l.split(None, 1)[1] if len(l.split(None, 1)) > 1 else "" for l in lines[1:]]
        yield tid, time, period, frames


def main():
    data = sys.argv[1] if len(sys.argv) > 1 else "perf.data"
    hovers = []
    with open(data + ".hovers") as log:
        for line in log:
            name, start, end = line.split()
            hovers.append((name, float(start), float(end)))
    cost = collections.defaultdict(lambda: collections.Counter())  # name -> step -> ns
    for _, time, period, frames in samples(data):
        for name, start, end in hovers:
            if start <= time <= end:
                thread = "UI" if any("ProgramMain" in f for f in frames) else "watcher"
                step = classify(frames) if thread == "UI" else "watcher thread"
                cost[name][step] += period
                break
    for name in sorted({h[0] for h in hovers}):
        stretches = [h for h in hovers if h[0] == name]
        count = len(stretches)
        wall = sum(end - start for _, start, end in stretches) * 1e3 / count
        busy = sum(v for k, v in cost[name].items()
                   if k not in ("watcher thread", "waiting in poll (kernel)"))
        print(f"{name}: {count} hovers, {wall:.1f} ms each from the motion to the pixels")
        for step, ns in cost[name].most_common():
            print(f"  {step:42s} {ns / 1e6 / count:7.1f} ms")
        print(f"  {'UI thread on a processor':42s} {busy / 1e6 / count:7.1f} ms")
        waiting = wall - busy / 1e6 / count
        print(f"  {'waiting (wall less UI on a processor)':42s} {waiting:7.1f} ms\n")


if __name__ == "__main__":
    main()
