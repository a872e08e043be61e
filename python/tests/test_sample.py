"""Poses along plans alone: each path ends on its end pose, spaced as asked, the same one plan at
a time and many at once, bad spacings refused."""
import math
import pickle

import numpy as np
import pytest

import agvsim


@pytest.mark.parametrize("reverse", [0, 1])
def test_poses_end_on_the_end_pose_and_are_ds_apart(reverse):
    rng = np.random.default_rng(7)
    n = 200
    start = rng.uniform(-5, 5, n), rng.uniform(-5, 5, n), rng.uniform(-180, 180, n)
    end = rng.uniform(-5, 5, n), rng.uniform(-5, 5, n), rng.uniform(-180, 180, n)
    params = agvsim.Params(reverse=reverse)
    plans = agvsim.plan(*end, start=start, params=params)
    ds = 0.3
    many = agvsim.sample(plans, ds)
    assert many.shape == (n,)
    for i in range(n):
        q = many[i]
        assert q[-1]["s"] == pytest.approx(plans["length"][i], abs=1e-9)
        assert (q[-1]["x"], q[-1]["y"]) == pytest.approx((end[0][i], end[1][i]), abs=1e-9)
        turn = q[-1]["th"] - math.radians(end[2][i])
        assert abs(math.remainder(turn, 2 * math.pi)) < 1e-9
        assert (q[0]["x"], q[0]["y"]) == pytest.approx((start[0][i], start[1][i]), abs=1e-12)
        steps = np.diff(q["s"])
        assert (steps > 0).all() and (steps <= ds + 1e-12).all()
        assert set(np.unique(q["drive"])) <= {-1, 1}
        one = agvsim.plan(end[0][i], end[1][i], end[2][i],
                          start=(start[0][i], start[1][i], start[2][i]), params=params).poses(ds)
        assert np.array_equal(one, q)
    assert np.array_equal(pickle.loads(pickle.dumps(plans)).poses(ds)[5], many[5])


@pytest.mark.parametrize("ds, error", [(0, ValueError), (-1, ValueError), (math.nan, ValueError),
                                       (1e-12, ValueError), ("x", TypeError)])
def test_bad_spacings_are_refused(ds, error):
    with pytest.raises(error):
        agvsim.plan(2, 3, 0).poses(ds)
    with pytest.raises(TypeError):
        agvsim.sample({"length": 1.0}, 0.5)


def test_a_pose_without_a_path_has_no_poses():
    assert agvsim.plan(np.array([1.0, math.nan]), 0, 0).poses(1.0)[1] is None
