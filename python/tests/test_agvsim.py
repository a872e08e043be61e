"""The Python module agvsim: its arrays against agvbatch's files, refusals and bad arguments,
other vehicles whose paths follow from the geometry, passes in threads, and the examples."""
import concurrent.futures
import gc
import itertools
import math
import multiprocessing
import os
import pathlib
import pickle
import re
import subprocess
import sys

import numpy as np
import pytest

import agvsim

AGVBATCH = os.environ.get("AGVBATCH", "agvbatch")
EXAMPLES = pathlib.Path(__file__).resolve().parents[2] / "examples"
RECORD = ["t", "s", "th", "x", "y", "phi", "kap"]


def batch(tmp_path, *args):
    """agvbatch run into a folder of its own; the folder."""
    out = tmp_path / "out"
    subprocess.run([AGVBATCH, *args, "--out", str(out)], check=True)
    return out


def csv(path):
    """A CSV file of agvbatch: its header's names and its rows as doubles."""
    names = path.read_text().splitlines()[0].split(",")
    return names, np.loadtxt(path, delimiter=",", skiprows=1, ndmin=2)


def expect_cp_files(r, out):
    """The runs of a CP pass (or a track) are the records of agvbatch's cp_K.csv files."""
    for k in (1, 2, 3):
        names, table = csv(out / f"cp_{k}.csv")
        expect_columns(r.runs[k].ref, table, names, "ref_", RECORD[1:] + ["u"], True)
        expect_columns(r.runs[k].cv, table, names, "cv_", RECORD[1:], False)
        expect_columns(r.runs[k].err, table, names, "err_", RECORD[1:], False)


def expect_tracked_files(r, out):
    """The tracked AGV of a CP pass (or a track) is agvbatch's cp_K_tr.csv, its summary
    agvbatch's summary.csv."""
    for k in (1, 2, 3):
        names, table = csv(out / f"cp_{k}_tr.csv")
        expect_columns(r.runs[k].tr, table, names, "", RECORD[1:], True)
    expect_summary(r.summary, out / "summary.csv")


def expect_columns(recs, table, names, prefix, fields, with_time):
    """The record arrays equal the columns of the file, bit for bit."""
    assert len(recs) == len(table)
    if with_time:
        assert np.array_equal(recs["t"], table[:, names.index("t[s]")])
    for f in fields:
        column = next(i for i, n in enumerate(names) if n.split("[")[0] == prefix + f)
        assert np.array_equal(recs[f], table[:, column]), prefix + f


def same(a, b):
    """Two summaries with the same columns and values (NaN where a row has none)."""
    return list(a) == list(b) and np.array_equal(np.array(list(a.values()), dtype=float),
                                                 np.array(list(b.values()), dtype=float),
                                                 equal_nan=True)


def run_files(r, out, suffix=""):
    """Each run of both paths of a pass or a route, with agvbatch's file of it: (runs, names,
    table), the mechanisms numbered as the files number them."""
    for path, runs in (("arc", r.arc), ("clothoid", r.clothoid)):
        for k in (1, 2, 3):
            yield (runs[k],) + csv(out / f"{path}_{k}{suffix}.csv")


def expect_summary(summary, path):
    names, table = csv(path)
    got = [summary.get(n) for n in names]
    assert [n for n, g in zip(names, got) if g is None] == []
    assert np.array_equal(np.array(got, dtype=float), table[0])


def test_ptp_arrays_equal_the_files_of_agvbatch(tmp_path):
    params = agvsim.Params(Lw=0.8, steerRate=1.5)
    r = agvsim.ptp(4, -3, -45, params=params)
    out = batch(tmp_path, "ptp", "4", "-3", "-45", "--param", "Lw=0.8", "--param", "steerRate=1.5")
    for runs, names, table in run_files(r, out):
        expect_columns(runs.ref, table, names, "ref_", RECORD[1:], True)
        expect_columns(runs.cv, table, names, "cv_", RECORD[1:], False)
        expect_columns(runs.err, table, names, "err_", RECORD[1:], False)
    for runs, names, table in run_files(r, out, "_vv"):
        expect_columns(runs.vv, table, names, "vv_", RECORD[1:], True)
    expect_summary(r.summary, out / "summary.csv")
    assert r.params.Lw == 0.8


def test_cp_arrays_equal_the_files_of_agvbatch(tmp_path):
    r = agvsim.cp(16, 0.2, 3)
    out = batch(tmp_path, "cp", "16", "0.2", "3")
    expect_cp_files(r, out)
    for k in (1, 2, 3):
        assert len(r.runs[k].ref) == r.runs[k].NN + 1
        assert r.runs[k].T == r.summary[f"cp{k}_T[s]"]
    expect_summary(r.summary, out / "summary.csv")


def test_tracked_runs_equal_the_files_of_agvbatch(tmp_path):
    """A controller by name or number, the tracked AGV a fourth array with its cross-track
    errors, on PTP paths and CP curves, as agvbatch writes them."""
    assert agvsim.Params(controller="rearwheel") == agvsim.Params(controller=3)
    params = agvsim.Params(controller="stanley", offsetY=0.3)
    r = agvsim.ptp(4, -3, -45, params=params)
    out = batch(tmp_path, "ptp", "4", "-3", "-45", "--param", "controller=stanley",
                "--param", "offsetY=0.3")
    for runs, names, table in run_files(r, out, "_tr"):
        expect_columns(runs.tr, table, names, "", RECORD[1:], True)
        assert np.array_equal(runs.xte, table[:, names.index("xte[m]")])
        assert runs.tr["y"][0] == 0.3 and len(runs.xte) == len(runs.tr)
    expect_summary(r.summary, out / "summary.csv")
    c = agvsim.cp(16, 0.2, 3, params=agvsim.Params(controller=1))
    (tmp_path / "cp").mkdir()
    out = batch(tmp_path / "cp", "cp", "16", "0.2", "3", "--param", "controller=purepursuit")
    expect_tracked_files(c, out)
    assert len(agvsim.ptp(4, -3, -45).arc[2].tr) == 0  # no controller, no tracked AGV
    with pytest.raises(ValueError, match="controller is one of none,purepursuit,stanley"):
        agvsim.Params(controller="lqr")


@pytest.mark.parametrize(
    "call, refusal, says",
    [
        (lambda: agvsim.ptp(100, 0, 0), agvsim.PathTooLong, "3000 time steps or more"),
        (lambda: agvsim.ptp(4, 0, 0, params=agvsim.Params(maxSteps=200)), agvsim.PathTooLong,
         "200 time steps"),
        (lambda: agvsim.cp(1, 12.2, 40), agvsim.RangeTooLong, "arc-length table"),
        (lambda: agvsim.cp(16, 5, 10), agvsim.CurveTooLong,
         r"longer than 3000 CP steps, 60 m \(maxSteps = 3000; a larger maxSteps lets it run\)"),
        (lambda: agvsim.cp(1, 12.25, 29.98), agvsim.CurveSteps, "3000 CP steps or records"),
        (lambda: agvsim.cp(1, 2, 0), agvsim.UndefinedCurve, "define no curve"),
        (lambda: agvsim.cp(11, 10, 0.2), agvsim.CurveTooSharp, "a smaller dtCP follows it"),
        (lambda: agvsim.cp(11, 1, 1e-6), agvsim.CurveTooSharp, "to be measured"),
        (lambda: agvsim.ptp(90, 0, 0, params=agvsim.Params(dt=0.0001, maxSteps=1000000)),
         agvsim.TooMuchMemory, "more than maxMemory = 1024 MiB"),
    ],
)
def test_refusals_raise_their_own_exception_with_the_reason(call, refusal, says):
    with pytest.raises(refusal, match=says) as e:
        call()
    assert isinstance(e.value, agvsim.Refused)


@pytest.mark.parametrize(
    "call, error, says",
    [
        (lambda: agvsim.ptp(math.nan, 0, 0), ValueError, "not finite"),
        (lambda: agvsim.ptp(0, math.inf, 0), ValueError, "not finite"),
        (lambda: agvsim.ptp("4", 0, 0), TypeError, r"ptp\(\): xf must be a number \[m\], not str"),
        (lambda: agvsim.ptp(4, 0, None), TypeError, r"thf_deg must be a number \[deg\], not NoneType"),
        (lambda: agvsim.ptp(4, 0), TypeError, "thf_deg"),
        (lambda: agvsim.ptp(4, 0, 0, params="fast"), TypeError, "params must be an agvsim.Params"),
        (lambda: agvsim.cp(5, 1, 1), ValueError, r"no curve 5 \(the curves are 1, 2"),
        (lambda: agvsim.cp("1", 1, 1), TypeError, "curve must be a whole number"),
        (lambda: agvsim.cp(1, -2, 5), ValueError, "constant 1 must be a finite number >= 0"),
        (lambda: agvsim.cp(13, 1, 2), TypeError, "curve 13 takes 1 constant, 2 given"),
        (lambda: agvsim.cp(1, 2), TypeError, "curve 1 takes 2 constants, 1 given"),
        (lambda: agvsim.cp(16, "0.2", 3), TypeError, "constant 1 must be a number, not str"),
        (lambda: agvsim.Params(Ra=0), ValueError, "Ra must be a number from 0.001 to 1000 m"),
        (lambda: agvsim.Params(dt=0.5), ValueError, "dt must be a number from 0.0001 to 0.1 s"),
        (lambda: agvsim.Params(maxSteps=2999.5), TypeError, "maxSteps takes a whole number"),
        (lambda: agvsim.Params(Lw="0.8"), TypeError, r"Lw must be a number \[m\], not str"),
        (lambda: agvsim.Params(Ra=True), TypeError, "Ra must be a number"),
        (lambda: agvsim.Params(wheelbase=1), TypeError, "no parameter wheelbase .the parameters: Vmax"),
        (lambda: agvsim.Params(1.0), TypeError, "by keyword"),
        (lambda: agvsim.Params(Vmax=10**400), ValueError,
         r"Vmax must be a number from 0.001 to 100 m/s, not 10{23}\.\.\.$"),
        (lambda: agvsim.Params(Lw=np.array([0.5, 0.6])), TypeError, r"Lw must be a number \[m\]"),
        (lambda: agvsim.Params(Ra=_NoFloat()), TypeError, r"Ra must be a number \[m\], not <"),
        (lambda: setattr(agvsim.Params(), "Lw", -1), ValueError, "Lw must be a number from"),
        (lambda: agvsim.ptp(2, 3, 0).arc[0], KeyError, "the mechanisms are 1 .2DW1C., 2"),
    ],
)
def test_bad_arguments_raise_errors_that_name_them(call, error, says):
    with pytest.raises(error, match=says):
        call()


class _NoFloat:
    """A number whose float() raises."""

    def __float__(self):
        raise ArithmeticError("no float")


def test_mechanisms_are_numbered_1_to_3_or_named_everywhere():
    r = agvsim.ptp(4, -3, -45)
    assert list(r.arc) == [1, 2, 3]
    for k, name in enumerate(agvsim.MECHANISMS, start=1):
        for runs in (r.arc[k], r.arc[name], r.clothoid[k]):
            assert (runs.mechanism, runs.name) == (k, name)
        assert r.arc[k].cv.tobytes() == r.arc[name].cv.tobytes()
        # The summary's columns number them the same way.
        err = r.arc[k].err
        assert r.summary[f"arc{k}_maxerr[m]"] == np.hypot(err["x"], err["y"]).max()
    assert r.clothoid_sf == sum(r.sc)
    # Headings: degrees in, radians and degrees out.
    assert r.Pf.th == pytest.approx(math.radians(-45)) and r.Pf.th_deg == pytest.approx(-45)
    x, y, th = r.Pf
    assert (x, y, th) == (4.0, -3.0, r.Pf.th) and r.end == (4.0, -3.0, -45.0)
    assert r.phiArc_deg == pytest.approx(math.degrees(r.phiArc))


def test_every_property_says_what_it_is_and_its_unit():
    units = ("[m]", "[s]", "[rad]", "[deg]", "[1/m]", "[m/s]", "[rad/s]", "[MiB]")
    for cls in (agvsim.Params, agvsim.PtpResult, agvsim.CpResult, agvsim.Runs, agvsim.CpRuns,
                agvsim.Pose, agvsim.MapPath):
        for name, attr in vars(cls).items():
            if isinstance(attr, property) and not name.startswith("_"):
                assert attr.__doc__, f"{cls.__name__}.{name}"
    # Numbers with a unit say it.
    for cls, names in ((agvsim.PtpResult, ("sf", "s", "sc", "clothoid_sf", "Rarc", "phiArc",
                                           "phiArc_deg")),
                       (agvsim.CpResult, ("length",)), (agvsim.CpRuns, ("T",)),
                       (agvsim.Pose, ("x", "y", "th", "th_deg")),
                       (agvsim.MapPath, ("cost", "length", "seconds", "step", "segments")),
                       (agvsim.Params, ("Vmax", "Ra", "Lw", "dt", "dtCP", "steerRate"))):
        for n in names:
            assert any(u in getattr(cls, n).__doc__ for u in units), f"{cls.__name__}.{n}"


def test_params_and_results_pickle_to_equal_values():
    params = agvsim.Params(Lw=0.8, threeArcs=1)
    assert pickle.loads(pickle.dumps(params)) == params != agvsim.Params()
    for r in (agvsim.ptp(4, -3, -45, params=params), agvsim.cp(16, 0.2, 3),
              agvsim.cp(11, 10, 0.2, run=False)):
        again = pickle.loads(pickle.dumps(r))
        assert type(again) is type(r) and again.params == r.params
        if isinstance(r, agvsim.PtpResult):
            assert again.summary == r.summary and again.end == r.end
            for k in (1, 2, 3):
                assert again.clothoid[k].vv.tobytes() == r.clothoid[k].vv.tobytes()
        else:
            assert np.array_equal(again.table, r.table) and again.length == r.length
    # As multiprocessing ships them.
    with multiprocessing.get_context("spawn").Pool(1) as pool:
        assert pool.apply(_sf, (4, -3, -45, params)) == agvsim.ptp(4, -3, -45, params=params).sf


def _sf(x, y, th, params):
    return agvsim.ptp(x, y, th, params=params).sf


def test_the_version_is_the_projects():
    cmake = (pathlib.Path(__file__).resolve().parents[2] / "CMakeLists.txt").read_text()
    assert agvsim.__version__ == re.search(r"project\(agvsim VERSION ([0-9.]+)", cmake).group(1)


def test_paths_follow_the_geometry_of_other_vehicles():
    poses = list(itertools.product([-3, -1.5, 0, 1.5, 3], [-3, -1.5, 0.5, 1.5, 3],
                                   range(-150, 181, 30)))
    for x, y, th in poses:
        # A larger turning radius never gives a shorter path.
        lengths = [agvsim.ptp(x, y, th, params=agvsim.Params(Ra=Ra)).sf for Ra in (0.5, 1, 1.5)]
        assert lengths == sorted(lengths), (x, y, th)
        # Twice the radius to the pose twice as far: the same join, twice as long.
        one = agvsim.ptp(x, y, th)
        two = agvsim.ptp(2 * x, 2 * y, th, params=agvsim.Params(Ra=2))
        assert two.row == one.row
        assert two.sf == pytest.approx(2 * one.sf, abs=1e-9)
    # With the three-arc joins a path is never longer.
    three = agvsim.Params(threeArcs=1)
    assert all(agvsim.ptp(x, y, th, params=three).sf <= agvsim.ptp(x, y, th).sf + 1e-12
               for x, y, th in poses)


def test_passes_in_threads_give_the_results_of_passes_one_by_one():
    poses = [(x, y, th) for x in (-2, 1, 3) for y in (-1, 2) for th in (-90, 0, 135)]
    alone = [agvsim.ptp(*p).clothoid[3].vv.tobytes() for p in poses]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        together = list(pool.map(lambda p: agvsim.ptp(*p).clothoid[3].vv.tobytes(), poses))
    assert together == alone


def test_arrays_keep_their_pass_alive_and_cannot_be_written():
    vv = agvsim.ptp(2, 3, 0).arc[2].vv  # the result itself is gone
    kept = vv.copy()
    for pose in ((4, -3, -45), (57.86, 3, 0), (-1, 2, 90)):  # passes that could reuse it
        agvsim.ptp(*pose)
    assert np.array_equal(vv, kept)
    assert vv[-1]["t"] > 0 and not vv.flags.writeable
    with pytest.raises(ValueError):
        vv["x"][0] = 1.0


@pytest.mark.parametrize(
    "example, first",
    [
        ("ptp_summary.py", "row 3, curvature directions (-1 0 -1)"),
        ("cp_pass.py", "wavy circle: 12.8452 m, parameter 0 ... 6.2832"),
        ("own_vehicle.py", "path 3.8069 m; steering angle on the arcs 30.96 deg"),
    ],
)
def test_examples_say_what_their_cpp_twins_say(example, first):
    out = subprocess.run([sys.executable, str(EXAMPLES / example)], check=True,
                         capture_output=True, text=True).stdout
    assert out.splitlines()[0] == first


@pytest.mark.parametrize("example", ["plot_runs.py", "plot_route.py",
                                     "compare_controllers.py 4 90"])
def test_plot_examples_draw(tmp_path, example):
    png = tmp_path / "runs.png"
    name, *grid = example.split()
    subprocess.run([sys.executable, str(EXAMPLES / name), str(png), *grid], check=True,
                   env={**os.environ, "MPLBACKEND": "Agg"}, stdout=subprocess.DEVNULL)
    assert png.read_bytes()[1:4] == b"PNG" and png.stat().st_size > 10000


def test_results_let_go_do_not_stay_in_memory():
    """The results Python lets go are kept for the next passes up to a bounded size (64 MiB):
    four passes of some 50 MiB each, let go, leave less than that behind."""
    def resident():
        with open("/proc/self/statm") as f:
            return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
    params = agvsim.Params(dt=0.001, maxSteps=1000000)
    gc.collect()
    before = resident()
    results = [agvsim.ptp(40 + k, 0, 0, params=params) for k in range(4)]
    assert resident() - before > 150 * 2 ** 20
    del results
    gc.collect()
    assert resident() - before < 80 * 2 ** 20


def test_paths_that_back_up_equal_the_files_of_agvbatch(tmp_path):
    """A three-point turn (arcs of 2 m): its directions and cusps, runs and summary, as agvbatch
    writes them (the fields of the segments it has not empty in the file, NaN in Python)."""
    params = agvsim.Params(reverse=1, Ra=2)
    r = agvsim.ptp(0, 0, 180, params=params)
    assert r.drive == (1, -1, 1) and r.sgnK == (1, -1, 1) and r.cusps == 2 and len(r.joints) == 2
    out = batch(tmp_path, "ptp", "0", "0", "180", "--param", "reverse=1", "--param", "Ra=2")
    for runs, names, table in run_files(r, out):
        expect_columns(runs.cv, table, names, "cv_", RECORD[1:], False)
    row = np.genfromtxt(out / "summary.csv", delimiter=",", names=True)
    names = (out / "summary.csv").read_text().splitlines()[0].split(",")
    got = np.array([r.summary[n] for n in names], dtype=float)
    assert np.array_equal(got, np.array(row.tolist(), dtype=float), equal_nan=True)
    assert r.summary["cusps"] == 2 and np.isnan(r.summary["drive3"])
    # A sweep with reverse as an axis: every row has the five segments' columns.
    sweep = tmp_path / "sweep.csv"
    subprocess.run([AGVBATCH, "sweep", "--x", "0:0:1", "--y", "0:1:1", "--th", "180:180:1",
                    "--set", "reverse=0:1:1", "--quiet", "--out", str(sweep)], check=True)
    rows = np.genfromtxt(sweep, delimiter=",", names=True, dtype=None, encoding="utf-8")
    assert list(rows["cusps"]) == [0, 0, 2, 2]
    assert sorted(rows["reverse"]) == [0, 0, 1, 1]
    assert (rows["sfm"][rows["reverse"] == 1] < rows["sfm"][rows["reverse"] == 0]).all()


def test_plans_alone_broadcast_and_equal_the_passes():
    """agvsim.plan over arrays: the paths ptp adopts, forward and backing up, in the broadcast
    shape, NaN where a pose is not finite."""
    xf = np.array([[0.0, 3.0, -2.0], [1.0, 0.0, 4.0]])
    for params in (None, agvsim.Params(threeArcs=1), agvsim.Params(reverse=1, cuspCost=0.5)):
        d = agvsim.plan(xf, 1.0, np.array([0.0, 90.0, -150.0]), start=(0.5, -1, 30),
                        params=params)
        assert d["length"].shape == (2, 3) and d["s"].shape == (2, 3, 5)
        for i in np.ndindex(2, 3):
            r = agvsim.ptp(xf[i], 1.0, [0.0, 90.0, -150.0][i[1]], start=(0.5, -1, 30),
                           params=params)
            n = d["n"][i]
            assert d["length"][i] == r.sf and n == len(r.s)
            assert tuple(d["drive"][i][:n]) == r.drive and tuple(d["s"][i][:n]) == r.s
            assert not d["s"][i][n:].any()
    d = agvsim.plan([1.0, np.inf], 0, 0)
    assert d["length"][0] == 1.0 and np.isnan(d["length"][1]) and d["n"][1] == 0
    with pytest.raises(TypeError, match="start must be a pose"):
        agvsim.plan(1, 0, 0, start=3)


def test_sweeps_read_whole_with_pandas_and_numpy(tmp_path):
    """Every row of a sweep has the header's fields, a refused pose's numbers empty: pandas and
    numpy read it, the refused rows as NaN."""
    import pandas
    out = tmp_path / "sweep.csv"
    subprocess.run([AGVBATCH, "sweep", "--x", "0:70:35", "--y", "0:0:1", "--th", "0:90:90",
                    "--set", "Lw=0.5:1:0.5", "--quiet", "--out", str(out)], check=True)
    frame = pandas.read_csv(out)
    array = np.genfromtxt(out, delimiter=",", names=True, dtype=None, encoding="utf-8")
    assert frame.shape == (12, len(array.dtype.names)) and len(array) == 12
    refused = frame["status"] != "ok"
    assert refused.sum() == 4 and frame.loc[refused, "arc2_maxerr[m]"].isna().all()
    assert np.isnan(array["arc2_maxerrm"][refused.to_numpy()]).all()
    ok = frame[~refused].iloc[0]
    r = agvsim.ptp(ok["x[m]"], ok["y[m]"], ok["th[deg]"], params=agvsim.Params(Lw=ok["Lw[m]"]))
    assert ok["arc2_maxerr[m]"] == r.summary["arc2_maxerr[m]"]
    # Slices, read as the file reference says (their first line a comment), are the sweep whole;
    # the controller's column holds its name.
    grid = ["--x", "0:70:35", "--y", "0:0:1", "--th", "0:90:90", "--set",
            "controller=purepursuit:stanley:1", "--quiet"]
    subprocess.run([AGVBATCH, "sweep", *grid, "--out", str(out)], check=True)
    for k in range(3):
        subprocess.run([AGVBATCH, "sweep", *grid, "--shard", f"{k}/3", "--out",
                        str(tmp_path / f"slice{k}.csv")], check=True)
    slices = pandas.concat(pandas.read_csv(f, comment="#") for f in tmp_path.glob("slice*.csv"))
    whole = pandas.read_csv(out)
    assert slices.sort_values("index", ignore_index=True).equals(whole)
    assert list(whole["controller"].unique()) == ["purepursuit", "stanley"]


def test_a_route_and_a_start_pose_equal_the_files_of_agvbatch(tmp_path):
    """A route's arrays equal agvbatch route's files (the leg of every record too), and a pass
    from a start pose equals agvbatch ptp --from."""
    waypoints = [(0, 0, 0), (4, 2, 90), (0, 6, 180), (-3, 0, -90)]
    route_file = tmp_path / "route.csv"
    route_file.write_text("x,y,th\n" + "".join(f"{x},{y},{th}\n" for x, y, th in waypoints))
    r = agvsim.route(waypoints)
    out = batch(tmp_path, "route", str(route_file))
    for runs, names, table in run_files(r, out):
        expect_columns(runs.cv, table, names, "cv_", RECORD[1:], True)
        assert np.array_equal(runs.leg + 1, table[:, names.index("leg")])
    assert r.summary["sf[m]"] == r.sf == pytest.approx(sum(leg.sf for leg in r.legs))
    assert [leg.start for leg in r.legs] == [tuple(map(float, w)) for w in waypoints[:-1]]
    assert pickle.loads(pickle.dumps(r)).summary == r.summary
    one = agvsim.ptp(5, 1, -60, start=(1, -2, 30))
    (tmp_path / "from").mkdir()
    out = batch(tmp_path / "from", "ptp", "5", "1", "-60", "--from", "1", "-2", "30")
    names, table = csv(out / "clothoid_2.csv")
    expect_columns(one.clothoid[2].cv, table, names, "cv_", RECORD[1:], True)
    assert one.P0.th_deg == pytest.approx(30) and one.start == (1.0, -2.0, 30.0)


def test_the_legs_of_a_route_are_plans_with_the_numbers_of_their_legs(tmp_path):
    """A leg is its plan and its row of legs.csv; it has no runs of its own, draws no picture
    and pickles as itself; a route counts its cusps, at the waypoints too."""
    r = agvsim.route([(0, 0, 0), (3, 0, 0), (1, 0, 0)], params=agvsim.Params(reverse=1))
    leg = r.legs[1]
    assert isinstance(leg, agvsim.Leg) and leg.index == 1 and leg.start == (3.0, 0.0, 0.0)
    assert same(leg.summary, r.leg_summaries[1]) and leg.summary["leg"] == 2
    assert leg.summary["arc1_steps"] > 0 and leg.summary["sf[m]"] == leg.sf
    assert r.cusps == r.summary["cusps"] >= sum(one.cusps for one in r.legs)
    again = pickle.loads(pickle.dumps(leg))
    assert (again.index, again.sf) == (1, leg.sf) and same(again.summary, leg.summary)
    with pytest.raises(TypeError, match="PtpResult"):
        agvsim.picture(leg, tmp_path / "leg.png")
    assert not hasattr(leg, "arc") and list(tmp_path.iterdir()) == []


@pytest.mark.parametrize(
    "call, error, says",
    [
        (lambda: agvsim.route([(0, 0, 0)]), ValueError, "from 2 to 100000 waypoints"),
        (lambda: agvsim.route([(0, 0, 0), (90, 0, 0)]), agvsim.PathTooLong, "leg 1 from"),
        (lambda: agvsim.route([(0, 0, 0), (1, 2)]), TypeError, "waypoint 1 must be a pose"),
        (lambda: agvsim.route(5), TypeError, "waypoints must be a list of poses"),
        (lambda: agvsim.route([(0, 0, 0), (1, math.nan, 0)]), ValueError, "not finite"),
        (lambda: agvsim.ptp(1, 2, 3, start=(0, 0)), TypeError, "start must be a pose"),
    ],
)
def test_routes_refused_and_bad_arguments(call, error, says):
    with pytest.raises(error, match=says):
        call()
