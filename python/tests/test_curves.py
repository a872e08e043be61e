"""Every CP pass ends, and gives its curve's true length and arc-length table, or is refused:
constants within and at the edge of the set-up's advice (0 to 10), against scipy's adaptive
quadrature (QUADPACK) of the same curves."""
import math

import numpy as np
import pytest
from scipy.integrate import quad

import agvsim

PI = 3.14159265358979  # the simulator's pi: the polar curves end at 2 PI


def speed(I, a, b):
    """ds/du of curve I with its constants, and the points where it may peak or bend."""
    if I == 1:
        w = 2 * PI / b
        return (lambda x: math.hypot(1, a * w * math.sin(w * x))), [b / 2]
    if I == 2:
        w = 2 * PI / b
        return (lambda x: math.hypot(1, a * (1 - math.cos(w * x)) / b)), []
    if I == 3:
        return (lambda x: math.hypot(1, 2 * a / b * (x / b))), []
    if I == 4:
        return (lambda x: math.hypot(1, 3 * a / b * (x / b) ** 2)), []
    if I == 11:
        def r(t):
            D = (a * math.sin(t)) ** 2 + (b * math.cos(t)) ** 2
            return a * b / math.sqrt(D), -a * b * (a * a - b * b) * math.cos(t) * math.sin(t) / D ** 1.5
        return (lambda t: math.hypot(*r(t))), [k * math.pi / 2 for k in range(1, 5)]
    if I == 12:
        c = a / (2 * PI)
        return (lambda t: c * math.hypot(t, 1)), []
    if I == 13:
        return (lambda t: a * math.hypot(1.2 - math.cos(t), math.sin(t))), []
    if I == 14:
        return (lambda t: a * math.hypot(math.sin(b * t), b * math.cos(b * t))), []
    if I == 16:
        return (lambda t: math.hypot(2 + a * math.cos(b * t), a * b * math.sin(b * t))), []
    raise ValueError(I)


def length(f, peaks, u0, u1):
    """The length from u0 to u1, cut at the peaks between them."""
    cuts = [u0] + [p for p in peaks if u0 < p < u1] + [u1]
    return sum(quad(f, x, y, epsabs=0, epsrel=1e-12, limit=1000)[0] for x, y in zip(cuts, cuts[1:]))


GRID = [
    (1, 10, 0.5), (1, 10, 0.1), (1, 5, 1), (1, 0.001, 10), (1, 10, 10),
    (2, 10, 0.5), (2, 10, 10), (2, 0.01, 0.01),
    (3, 10, 0.1), (3, 10, 10), (4, 10, 0.1), (4, 10, 10),
    (11, 10, 0.05), (11, 10, 0.02), (11, 0.02, 10), (11, 6.6, 0.09), (11, 1, 0.0001),
    (11, 10, 10), (11, 0.001, 0.001), (11, 10, 1),
    (12, 0.01, 4.7), (12, 10, 0.1), (12, 1, 4.7),
    (13, 10, None), (13, 0.001, None),
    (14, 10, 10), (14, 1, 0.25), (14, 1, 0.1), (14, 2, 7.5),
    (16, 10, 10), (16, 0.2, 10), (16, 2, 10), (16, 10, 0.1),
]
PARAMS = agvsim.Params(maxSteps=1000000, dtCP=0.005)


@pytest.mark.parametrize("I, a, b", GRID)
def test_a_curve_has_its_true_length_and_table_and_its_pass_ends(I, a, b):
    consts = (a,) if b is None else (a, b)
    try:
        agvsim.cp(I, *consts, params=PARAMS)
    except agvsim.Refused:
        pass  # a pass ends done or refused, never runs on
    try:
        r = agvsim.cp(I, *consts, params=PARAMS, run=False)
    except agvsim.Refused as e:
        pytest.skip(f"refused: {e}")
    f, peaks = speed(I, a, 1.2 if b is None else b)
    L = length(f, peaks, 0.0, r.uend)
    assert abs(r.length - L) <= 1e-6 * L
    # The table, at every tenth row, against the length up to its parameter.
    tab = r.table
    assert tab["u"][0] == 0 and tab["u"][-1] == r.uend
    step = np.diff(tab["u"])
    assert np.all(step[:-1] > 0) and step[-1] >= 0  # a range of whole steps repeats its last row
    s, u = 0.0, 0.0
    for row in tab[1::10]:
        s += length(f, peaks, u, row["u"])
        u = row["u"]
        assert abs(row["s"] - s) <= 1e-6 * L, row


def test_most_of_the_grid_is_measured():
    """The grid is not refused away: the curves measured are the ones checked above."""
    done = 0
    for I, a, b in GRID:
        try:
            agvsim.cp(I, *((a,) if b is None else (a, b)), params=PARAMS, run=False)
            done += 1
        except agvsim.Refused:
            pass
    assert done >= 0.9 * len(GRID)
