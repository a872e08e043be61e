"""agvsim.plan_in_map: paths in a map that start and end on their poses, whose segments add up
to their numbers and whose poses follow them; in an empty map the planner's own path; refusals
with their reasons; pickled and in threads the same; Ctrl-C stops a long search."""
import math
import os
import pickle
import signal
import subprocess
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import agvsim

WAREHOUSE = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "warehouse.yaml")


@pytest.fixture(scope="module")
def warehouse():
    return agvsim.Map.load(WAREHOUSE)


QUERIES = [  # start, goal, params: round racks, backing up, forward alone, costs of reversing
    ((0, 0, 0), (20, 3, 180), dict(reverse=1)),
    ((0, 0, 0), (20, 3, 180), dict(reverse=0)),
    ((0, 0, 0), (1.75, 11.2, -90), dict(reverse=1, reverseCost=2, cuspCost=1)),
    ((20, 3, 180), (0, 0, 0), dict(reverse=1, headingBins=36)),
]


@pytest.mark.parametrize("start, goal, kw", QUERIES)
def test_paths_end_on_their_poses_and_add_up(warehouse, start, goal, kw):
    p = agvsim.Params(**kw)
    r = agvsim.plan_in_map(warehouse, start, goal, p)
    g = r.segments
    assert set(g["k"]) <= {-1, 0, 1} and (g["len"] > 0).all()
    assert set(g["drive"]) <= ({-1, 1} if p.reverse else {1})
    cusps = int((g["drive"][1:] != g["drive"][:-1]).sum())
    back = g["len"][g["drive"] < 0].sum()
    assert r.cusps == cusps
    assert r.length == pytest.approx(g["len"].sum(), rel=1e-12)
    assert r.cost == pytest.approx(r.length - back + p.reverseCost * back + p.cuspCost * cusps,
                                   rel=1e-12)
    assert r.expansions >= 0 and 0 < r.seconds < 10 and r.step > 0
    assert (r.start, r.goal) == (start, goal)
    q = r.poses(0.1)
    ends = [(q["x"][i], q["y"][i], math.degrees(q["th"][i])) for i in (0, -1)]
    for (x, y, th), (wx, wy, wth) in zip(ends, (start, goal)):
        assert (x, y) == pytest.approx((wx, wy), abs=1e-9)
        assert agvsim.reduceheading(th - wth) == pytest.approx(0, abs=1e-6)
    assert q["s"][-1] == pytest.approx(r.length, rel=1e-12)
    assert (np.diff(q["s"]) > 0).all() and (np.diff(q["s"]) <= 0.1 + 1e-12).all()
    assert (np.hypot(np.diff(q["x"]), np.diff(q["y"])) <= np.diff(q["s"]) + 1e-9).all()
    joints = np.concatenate(([0], np.cumsum(g["len"])[:-1]))
    at = np.searchsorted(q["s"], joints)
    assert np.allclose(q["s"][at], joints, rtol=0, atol=1e-9)
    assert (q["drive"][at] == g["drive"]).all()
    assert len(r.poses(math.inf)) == len(g) + 1
    again = pickle.loads(pickle.dumps(r))
    assert (again.segments == r.segments).all() and again.cost == r.cost


@pytest.mark.parametrize("reverse", [0, 1])
def test_in_an_empty_map_the_path_is_the_planners(reverse):
    m = agvsim.Map(np.zeros((400, 400), bool), 0.05, (-10.0, -10.0, 0.0))
    p = agvsim.Params(reverse=reverse)
    for end in [(4, -3, -45), (0, 1, 0), (-3, 2, 170), (2, 0, 0)]:
        r = agvsim.plan_in_map(m, (0, 0, 0), end, p)
        plan = agvsim.plan(*end, params=p)
        kept = plan["s"] > 0  # the forward planner's arcs of no length
        # The planner turns the end heading by the degree of its first version (to 4e-9 rad).
        assert r.length == pytest.approx(float(plan["length"]), rel=1e-9)
        assert list(r.segments["k"]) == list(plan["sgnK"][kept])
        assert list(r.segments["drive"]) == list(plan["drive"][kept])
        assert np.allclose(r.poses(0.05)["x"], plan.poses(0.05)["x"], rtol=0, atol=1e-7)


def walled(gap):
    """A hall 10 m x 10 m with a box of wall round (5, 5), a gap of `gap` cells in its left side."""
    occ = np.zeros((200, 200), bool)
    occ[[0, -1], :] = occ[:, [0, -1]] = True
    occ[60:140, [60, 139]] = occ[[60, 139], 60:140] = True
    occ[100 - gap // 2:100 + gap - gap // 2, 60] = False
    return agvsim.Map(occ, 0.05)


@pytest.mark.parametrize("start, goal, kw, error, says", [
    ((0.2, 5, 0), (5, 5, 0), {}, agvsim.StartCollides, "the start pose (0.2 m, 5 m, 0 deg) "
     "touches an obstacle (cell column"),
    ((1, 5, 0), (11, 5, 0), {}, agvsim.GoalCollides, "the goal pose (11 m, 5 m, 0 deg) leaves the map"),
    ((1, 5, 0), (5, 5, 0), {}, agvsim.Unreachable, "no way over the map's free cells"),
    ((1, 1, 0), (8, 8, 90), dict(maxExpansions=1), agvsim.ExpansionBound, "maxExpansions = 1 "),
    ((1, 1, 0), (8, 8, 90), dict(maxMemory=1), agvsim.TooMuchMemory, "maxMemory = 1 MiB"),
    ((1, 5, 0), (math.nan, 5, 0), {}, ValueError, "a pose is not finite"),
    ((1, 5, 0), (5, 5), {}, TypeError, "goal must be a pose"),
    ((1, "5", 0), (5, 5, 0), {}, TypeError, "start[1], y, must be a number"),
])
def test_refusals_raise_with_their_reason(start, goal, kw, error, says):
    with pytest.raises(error) as e:
        agvsim.plan_in_map(walled(0), start, goal, agvsim.Params(**kw))
    assert says in str(e.value)
    # what a pass in the same map raises for all of them
    assert isinstance(e.value, agvsim.NoPathInMap) == (error not in (ValueError, TypeError,
                                                                      agvsim.TooMuchMemory))


def test_bad_arguments_of_the_map_the_params_and_the_spacing():
    m = walled(40)
    with pytest.raises(TypeError, match="map must be an agvsim.Map, not NoneType"):
        agvsim.plan_in_map(None, (1, 5, 0), (5, 5, 0))
    with pytest.raises(TypeError, match="params must be an agvsim.Params"):
        agvsim.plan_in_map(m, (1, 5, 0), (5, 5, 0), dict(reverse=1))
    r = agvsim.plan_in_map(m, (1, 5, 0), (5, 5, 0))
    for ds in (0, -1, math.nan, 1e-9):
        with pytest.raises(ValueError, match="spacing"):
            r.poses(ds)
    with pytest.raises(TypeError, match="ds must be a number"):
        r.poses("1")


def test_searches_in_threads_are_those_one_by_one(warehouse):
    jobs = [(s, g, agvsim.Params(**kw)) for s, g, kw in QUERIES] * 2
    alone = [agvsim.plan_in_map(warehouse, *j).segments for j in jobs]
    with ThreadPoolExecutor(4) as pool:
        together = list(pool.map(lambda j: agvsim.plan_in_map(warehouse, *j).segments, jobs))
    assert all((a == b).all() for a, b in zip(alone, together))


def test_ctrl_c_stops_a_long_search_and_the_next_one_runs():
    # A goal deep in a dead end, facing out: forward alone, every pose of the hall is searched
    # (some 20 s and a GiB) before the search gives up.
    n = 1200
    occ = np.zeros((n, n), bool)
    occ[[0, -1], :] = occ[:, [0, -1]] = True
    occ[[n // 2 - 14, n // 2 + 14], 300:900] = True
    occ[n // 2 - 14:n // 2 + 15, 900] = True
    m = agvsim.Map(occ, 0.05)
    p = agvsim.Params(maxExpansions=100000000, headingBins=144)
    # Where Python's handler of the signal runs: within the search, not after it.
    where = []

    def interrupt(sig, frame):
        where.append(frame.f_code.co_name)
        raise KeyboardInterrupt

    old = signal.signal(signal.SIGINT, interrupt)
    try:
        kill = subprocess.Popen(["sh", "-c", f"sleep 1; kill -INT {os.getpid()}"])
        with pytest.raises(KeyboardInterrupt):
            agvsim.plan_in_map(m, (5, 5, 0), (40, 30, 180), p)
        kill.wait()
    finally:
        signal.signal(signal.SIGINT, old)
    assert where == ["plan_in_map"]
    r = agvsim.plan_in_map(m, (5, 5, 0), (40, 30, 0), p)
    assert r.poses(1)[-1]["x"] == pytest.approx(40, abs=1e-9)
