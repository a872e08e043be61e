"""The cost of a pass called from Python, and passes in Python threads.

    PYTHONPATH=build-bench/python python3 python/bench.py

Medians of 5: a PTP pass to the default end pose and to the longest that passes (compare
with the C++ benchmark ptppass, which reuses its result as this module reuses the memory of
results Python has let go; ptppassfresh makes a new one each pass),
and 1,000 end poses with a ThreadPoolExecutor of one and of two workers."""
import concurrent.futures
import statistics
import time

import agvsim


def median(f, repeat=5):
    times = []
    for _ in range(repeat):
        t = time.perf_counter()
        f()
        times.append(time.perf_counter() - t)
    return statistics.median(times)


for name, pose, n in (("default_2_3_0", (2, 3, 0), 400), ("longest_57_86_3_0", (57.86, 3, 0), 40)):
    sec = median(lambda: [agvsim.ptp(*pose) for _ in range(n)])
    print(f"ptp pass from Python, {name}: {sec / n * 1e6:.0f} us")

poses = [(x / 2, y / 2, th) for x in range(-9, 11, 2) for y in range(-9, 11, 2)
         for th in range(-180, 180, 36)]
assert len(poses) == 1000


def sweep(workers):
    with concurrent.futures.ThreadPoolExecutor(workers) as pool:
        list(pool.map(lambda p: agvsim.ptp(*p).sf, poses))


one, two = median(lambda: sweep(1), 3), median(lambda: sweep(2), 3)
print(f"1,000 poses: one worker {one:.2f} s, two workers {two:.2f} s, {two / one:.2f} of the time")
