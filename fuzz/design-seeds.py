#!/usr/bin/env python3
"""Writes the named seed cases of FuzzDesign into fuzz/corpus/FuzzDesign.

FuzzDesign reads its input as the draws of the reference's RandomQuery (each draw takes as
many bytes as its range needs, little-endian, modulo the range), then a thread count and a
moment to stop. Each case below gives those draws in the order RandomQuery makes them, so
a change of that order must be followed here (and the seeds written again)."""
import pathlib
import random

ROOT = pathlib.Path(__file__).resolve().parent / "corpus" / "FuzzDesign"
WIDTH = {2: 30, 4: 8, 6: 4, 8: 3}  # RandomQuery's range width by the gears in use


def draw(lo, hi, value):
    assert lo <= value <= hi, (lo, hi, value)
    span, size = hi - lo + 1, 0
    while size < 8 and (span - 1) >> (8 * size):
        size += 1
    return (value - lo).to_bytes(size, "little")


def free_train(lo, hi, target, tolerance, best=None, cap=None, sort=0, distinct=0, owned=(),
               threads=1, stop=0):
    """A free train with each gear's own range (spread), a target and tolerance given as
    RandomQuery's modes with their draws: target ("exact", num, den) or ("above", factor);
    tolerance ("edge", 3|4|5 for absolute|ppm|%) or ("absolute", hundredths)."""
    gears = len(lo)
    out = draw(0, 1, 1) + draw(1, 6, gears // 2) + draw(0, 6, 0)
    out += draw(0, 3, 0) + draw(1, 25, 1)  # spread: each gear its own minimum
    for l, h in zip(lo, hi):
        out += draw(1, 500, l) + draw(0, WIDTH.get(gears, 2) - 1, h - l)
    for l, h in zip(lo, hi):
        out += draw(l, h, l)  # the probe train: every gear at its minimum
    if target[0] == "exact":
        out += draw(0, 9, 5) + draw(0, 1_000_000, target[1]) + draw(1, 10_000, target[2])
    else:
        out += draw(0, 9, 1) + draw(2, 1000, target[1])
    if tolerance[0] == "edge":
        out += draw(0, 9, tolerance[1])
    else:
        out += draw(0, 9, 6) + draw(0, 60, tolerance[1])
    if best is not None:
        out += draw(0, 2, 0) + (draw(0, 3, 0) + draw(1, 60, best) if best > 9 else draw(0, 3, 1) + draw(1, 9, best))
        out += draw(0, 1, 0)  # no tolerance
    else:
        out += draw(0, 2, 1) + draw(0, 2, sort)
    out += draw(0, 2, 1) if cap is None else draw(0, 2, 0) + draw(0, 3, 0) + draw(0, 60, cap)
    out += draw(0, 2, distinct)
    if owned:
        out += draw(0, 3, 0) + draw(2, gears + 3, len(owned))
        for teeth, copies in owned:  # each drawn for N1
            out += draw(0, gears - 1, 0) + draw(lo[0], hi[0], teeth) + draw(1, 2, copies)
    else:
        out += draw(0, 3, 1)
    out += draw(0, 3, 1) + draw(0, 3, 1)  # no hunting tooth, not coaxial
    return out + draw(1, 7, threads) + draw(0, 6, stop)


CASES = {
    # A train exactly at the range's edge, its reduction far below the target.
    "edge-500-1-target-50-range-49.998": free_train([500, 1], [500, 1], ("exact", 50, 1), ("edge", 3), sort=1, cap=60,
                                                   threads=2),
    "edge-two-stages-range-0.999996": free_train([500, 1, 500, 1], [500, 1, 500, 1], ("exact", 1, 1), ("edge", 3), threads=3),
    "edge-two-stages-range-999996ppm": free_train([500, 1, 500, 1], [500, 1, 500, 1], ("exact", 1, 1), ("edge", 4), threads=4),
    "edge-two-stages-range-99.9996pct": free_train([500, 1, 500, 1], [500, 1, 500, 1], ("exact", 1, 1), ("edge", 5), threads=7),
    # Ties at the K-th place, the target far above every reduction; also among owned gears.
    "ties-far-above-best-44": free_train([6, 1, 7, 1], [13, 8, 14, 8], ("exact", 100000, 1), ("absolute", 0), best=44, threads=2),
    "ties-owned-far-above-best-5": free_train([5, 3, 5, 3], [12, 10, 12, 10], ("exact", 100000, 1), ("absolute", 0), best=5,
                                              owned=[(6, 1), (12, 1), (9, 2), (6, 2), (10, 1)], threads=5),
    # Stops: before the start, at the first report and later; capped and distinct listings.
    "stop-listing-capped": free_train([10, 20, 10, 20], [17, 27, 17, 27], ("exact", 2, 1), ("absolute", 60), cap=25,
                                      threads=3, stop=2),
    "stop-before-start-gear-sets": free_train([10, 20, 10, 20], [17, 27, 17, 27], ("exact", 2, 1), ("absolute", 60),
                                              distinct=2, sort=2, threads=6, stop=1),
    "stop-best-six-stages": free_train([10] * 12, [11] * 12, ("exact", 1, 1), ("absolute", 10), best=40, threads=7,
                                       stop=3),
}

# And a few random queries of every kind, to start from.
_random = random.Random(23)
CASES.update({f"random-{i:02d}": bytes(_random.randrange(256) for _ in range(64)) for i in range(16)})

if __name__ == "__main__":
    ROOT.mkdir(parents=True, exist_ok=True)
    for name, data in CASES.items():
        (ROOT / name).write_bytes(data)
    print(f"{len(CASES)} seed cases in {ROOT}")
