"""agvsim: path generation and path following of wheeled mobile robots (AGVs).

A PTP pass plans the path from (0, 0, 0 deg) to an end pose, the shortest join of arcs of the
minimum turning radius and lines and its clothoid-line twin, and runs the three mechanisms on
both; a CP pass runs them along one of nine analytic curves, or along a track of your own points
(agvsim.track):

    import agvsim
    r = agvsim.ptp(4, -3, -45)              # end pose: metres, metres, degrees
    r.arc[2].cv["x"]                        # mechanism 2 (1FDW1FS), constant-velocity AGV
    c = agvsim.cp(16, 0.2, 3, params=agvsim.Params(Lw=0.5))
    agvsim.picture(r, "pass.png", mechanism=2)   # the window's picture: .png, .svg, .pdf
    agvsim.video(r, "pass.mp4", speed=2)        # and its motion: .mp4, .gif (ffmpeg)

A result shows itself in a notebook as the window's picture of mechanism 1 (_repr_png_).

The mechanisms are numbered 1, 2, 3 everywhere, as the window's keys and the summary's
columns number them (arc2_maxerr[m] is mechanism 2), or named: 2DW1C (two driven wheels and
a caster), 1FDW1FS (a front wheel that drives and steers), 1RDW1FS (a driven rear axle and a
steered front wheel).  Records are numpy arrays with the fields t [s], s [m], th [rad],
x [m], y [m], phi [rad], kap [1/m] (and u, the curve parameter, on a CP reference).
Headings go in as degrees; poses come out as agvsim.Pose with th in radians and th_deg in
degrees.
"""
import math as _math
import numbers as _numbers
import os as _os
import shutil as _shutil
from collections.abc import Mapping as _Mapping
import numpy as _np

from . import _agvsim
from ._agvsim import (CpResult, CurveSteps, CurveTooLong, CurveTooSharp, ExpansionBound,
                      GoalCollides, Leg, Map, MapPath, NoPathInMap, Params, PathTooLong, Pose,
                      PtpResult, RangeTooLong, Refused, RouteResult, Runs, RunTooLong,
                      StartCollides, TooMuchMemory, TrackResult, UndefinedCurve, Unreachable,
                      __version__,
                      reduceheading)

# The runs of a CP curve and of a route are Runs too (the names of earlier versions).
CpRuns = RouteRuns = Runs

__all__ = ["ptp", "plan", "Plans", "sample", "plan_in_map", "MapPath", "cp", "route", "track",
           "Params", "Map", "Pose",
           "PtpResult", "CpResult", "RouteResult", "TrackResult", "Leg", "Runs", "CpRuns", "RouteRuns",
           "Mechanisms", "MECHANISMS", "Refused", "PathTooLong", "RunTooLong", "RangeTooLong",
           "CurveTooLong", "CurveSteps", "CurveTooSharp", "TooMuchMemory", "UndefinedCurve",
           "StartCollides", "GoalCollides", "Unreachable", "ExpansionBound", "NoPathInMap",
           "reduceheading", "picture", "video", "__version__"]

MECHANISMS = ("2DW1C", "1FDW1FS", "1RDW1FS")
CURVES = (1, 2, 3, 4, 11, 12, 13, 14, 16)


class Mechanisms(_Mapping):
    """The runs of the three mechanisms, by number 1, 2, 3 or by name ("2DW1C", "1FDW1FS",
    "1RDW1FS").  Iterating gives the numbers; .values() the runs, .items() both."""

    __slots__ = ("_runs",)

    def __init__(self, runs):
        self._runs = tuple(runs)

    def __getitem__(self, key):
        if isinstance(key, str) and key in MECHANISMS:
            return self._runs[MECHANISMS.index(key)]
        if isinstance(key, _numbers.Integral) and not isinstance(key, bool) and 1 <= key <= 3:
            return self._runs[key - 1]
        raise KeyError(f"no mechanism {key!r}: the mechanisms are 1 (2DW1C), 2 (1FDW1FS) "
                       f"and 3 (1RDW1FS)")

    def __iter__(self):
        return iter((1, 2, 3))

    def __len__(self):
        return 3

    def __repr__(self):
        return "agvsim.Mechanisms(" + ", ".join(f"{k}: {r!r}" for k, r in self.items()) + ")"


def _mechanisms(runs, what):
    return property(lambda self: Mechanisms(getattr(self, runs)),
                    doc=f"the runs of mechanisms 1, 2, 3 {what} (Mechanisms)")


PtpResult.arc = _mechanisms("_arc", "on the arc-line path")
PtpResult.clothoid = _mechanisms("_clothoid", "on the clothoid-line path")
CpResult.runs = _mechanisms("_runs", "along the curve")
TrackResult.runs = _mechanisms("_runs", "along the track")
RouteResult.arc = _mechanisms("_arc", "on the arc-line route")
RouteResult.clothoid = _mechanisms("_clothoid", "on the clothoid-line route")


def _remake_ptp(start, end, params, map=None):
    """A pickled PtpResult: the same pass again."""
    return _agvsim._ptp(start, end, params, map)


def _remake_route(waypoints, params, map=None):
    """A pickled RouteResult: the same pass again."""
    return _agvsim._route(waypoints, params, map)


def _remake_leg(waypoints, params, i, map=None):
    """A pickled Leg: its route again."""
    return _agvsim._route(waypoints, params, map).legs[i]


def _remake_cp(curve, a, b, params, run, map=None):
    """A pickled CpResult: the same pass again."""
    return _agvsim._cp(curve, a, b, params, run, map)


def _remake_track(points, th0, thf, params, run, map=None):
    """A pickled TrackResult: the same pass again."""
    return _agvsim._track(points, th0, thf, params, run, map)


def _remake_plan_in_map(map, start, goal, params):
    """A pickled MapPath: the same search again."""
    return _agvsim._plan_in_map(map, start, goal, params)


def _real(fn, name, value, unit):
    """A number argument as a float, or TypeError naming it and what was expected."""
    if isinstance(value, bool) or not isinstance(value, _numbers.Real):
        raise TypeError(f"{fn}(): {name} must be a number{unit}, not {type(value).__name__}")
    return float(value)


def _params(fn, params):
    if params is not None and not isinstance(params, Params):
        raise TypeError(f"{fn}(): params must be an agvsim.Params or None, "
                        f"not {type(params).__name__}")
    return params


def _three(fn, name, pose):
    """A pose argument's three values (x [m], y [m], th [deg]), or TypeError."""
    try:
        x, y, th = pose
    except (TypeError, ValueError):
        raise TypeError(f"{fn}(): {name} must be a pose (x [m], y [m], th [deg]), "
                        f"not {pose!r}") from None
    return x, y, th


def _pose(fn, name, pose):
    """A pose argument (x [m], y [m], th [deg]) as a tuple of floats, or TypeError."""
    x, y, th = _three(fn, name, pose)
    return (_real(fn, f"{name}[0], x,", x, " [m]"), _real(fn, f"{name}[1], y,", y, " [m]"),
            _real(fn, f"{name}[2], th,", th, " [deg]"))


def ptp(xf, yf, thf_deg, *, start=(0.0, 0.0, 0.0), params=None, map=None):
    """A PTP pass from the start pose (x [m], y [m], th [deg]; (0, 0, 0) unless given) to the
    end pose xf [m], yf [m], thf_deg [deg] (headings reduced into (-180, 180]): the planner's
    path, the clothoid-line path and the runs of the three mechanisms, all in the world's
    frame.  params: an agvsim.Params (the simulator's own vehicle when None).  map: an
    agvsim.Map the pass drives in, or None: the summary then gains the first contact of each
    path and run with an obstacle (the columns ending in contact[s], [m] and [rad]; NaN where
    it never touches), and the pictures show the map.

    A refused path raises a subclass of agvsim.Refused with the reason; a pose that is not
    finite ValueError; an argument of the wrong type TypeError; no memory MemoryError."""
    end = (_real("ptp", "xf", xf, " [m]"), _real("ptp", "yf", yf, " [m]"),
           _real("ptp", "thf_deg", thf_deg, " [deg]"))
    return _agvsim._ptp(_pose("ptp", "start", start), end, _params("ptp", params), map)


class Plans(dict):
    """The answer of plan(): a dict of numpy arrays, whose poses(ds) samples the paths."""

    def __init__(self, arrays, poses, params, shape):
        super().__init__(arrays)
        self._poses, self._params, self._shape = poses, params, shape

    def poses(self, ds):
        """The poses every ds [m] of the distance driven along each path, at every joint of its
        segments and at its end, in the order driven: a numpy array of records x [m], y [m],
        th [rad] (turning on, not reduced), drive (+1 forward, -1 backward: at a joint the next
        segment's) and s [m], exact to 1e-9 against the segments; None where no path was found.
        One array for a plan of one pose, otherwise an object array of the plans' shape.
        ds = inf gives the joints and the ends alone; a ds that is not above 0, or so small that
        a path would take more than 10,000,000 poses, raises ValueError."""
        ds = _real("poses", "ds", ds, " [m]")
        out = _agvsim._samples(self._poses, self._params, ds)
        if self._shape == ():
            return out[0]
        a = _np.empty(len(out), dtype=object)
        a[:] = out
        return a.reshape(self._shape)

    def __reduce__(self):
        return (Plans, (dict(self), self._poses, self._params, self._shape))


def sample(plan, ds):
    """The poses every ds [m] along the paths of plan (an answer of agvsim.plan()): plan.poses(ds)."""
    if not isinstance(plan, Plans):
        raise TypeError(f"sample(): plan must be an answer of agvsim.plan(), "
                        f"not {type(plan).__name__}")
    return plan.poses(ds)


def plan(xf, yf, thf_deg, *, start=(0.0, 0.0, 0.0), params=None):
    """The paths the planner adopts, without clothoids, steps or runs: from the start pose
    (x [m], y [m], th [deg]) to the end pose xf [m], yf [m], thf_deg [deg], each a number or a
    numpy array (they broadcast, as numpy's arithmetic does; the start's three too).  Forward
    (threeArcs as set), or with Params(reverse=1) the path that may back up.

    Returns a dict of numpy arrays of the broadcast shape: "length" [m] (NaN where no path is
    found or a pose is not finite), "n" (the segments), and with a last axis of 5 (one column a
    segment, 0 beyond n): "sgnK" (+1 left, 0 line, -1 right), "drive" (+1 forward, -1
    backward) and "s" [m].  The same paths ptp() adopts.  Its poses(ds) gives the poses along
    them (agvsim.sample(plan, ds) too)."""
    x0, y0, th0 = _three("plan", "start", start)
    try:
        arrays = _np.broadcast_arrays(*(_np.asarray(v, dtype=float)
                                        for v in (x0, y0, th0, xf, yf, thf_deg)))
    except (TypeError, ValueError) as e:
        raise TypeError(f"plan(): poses must be numbers or arrays of numbers that broadcast "
                        f"together ({e})") from None
    shape = arrays[0].shape
    params = _params("plan", params)
    poses = _np.stack([a.ravel() for a in arrays])
    d = _agvsim._plans(poses, params)
    return Plans({k: v.reshape(shape + v.shape[1:]) for k, v in d.items()}, poses, params, shape)


def plan_in_map(map, start, goal, params=None):
    """The path of least cost from the start pose to the goal pose (x [m], y [m], th [deg]) round
    the obstacles of map (an agvsim.Map), searched over poses with the vehicle's own moves: arcs
    of radius Ra and lines, forward, and backward with Params(reverse=1); costed as plan() costs
    (reverseCost, cuspCost); steered by searchStep, headingBins, searchWeight and bounded by
    maxExpansions and maxMemory.  The path alone, without clothoids or runs: an agvsim.MapPath
    with its segments, cost, length, cusps, the search's expansions and seconds, and poses(ds).
    Runs without the GIL; Ctrl-C stops it (KeyboardInterrupt).

    A search that finds no path raises a subclass of agvsim.Refused with the reason:
    StartCollides or GoalCollides (the pose touches an obstacle or leaves the map), Unreachable,
    ExpansionBound (maxExpansions), TooMuchMemory (maxMemory); a pose that is not finite or a
    parameter out of its range ValueError; an argument of the wrong type TypeError."""
    if not isinstance(map, Map):
        raise TypeError(f"plan_in_map(): map must be an agvsim.Map, not {type(map).__name__}")
    return _agvsim._plan_in_map(map, _pose("plan_in_map", "start", start),
                                _pose("plan_in_map", "goal", goal), _params("plan_in_map", params))


def _mappath_poses(self, ds):
    """The poses every ds [m] of the distance driven along the path, at every joint of its
    segments and at its end, in the order driven: a numpy array of records x [m], y [m], th [rad]
    (turning on, not reduced), drive (+1 forward, -1 backward: at a joint the next segment's) and
    s [m], exact to 1e-9 against the segments, the last on the goal.  ds = inf gives the joints
    and the ends alone; a ds that is not above 0, or so small that the path would take more than
    10,000,000 poses, raises ValueError."""
    return self._poses(_real("poses", "ds", ds, " [m]"))


MapPath.poses = _mappath_poses


def cp(curve, *constants, params=None, run=True, map=None):
    """A CP pass along curve 1, 2, 3, 4, 11, 12, 13, 14 or 16 with its constants as the set-up
    asks for them (two, or one for the cardioid 13): cp(16, 0.2, 3) is the wavy circle with
    A = 0.2 m and 3 waves.  With run=False, the curve's length and arc-length table only,
    without the runs.  params: an agvsim.Params (the simulator's own vehicle when None).  map: an
    agvsim.Map the runs drive in, or None (as for ptp()).

    A refused curve raises a subclass of agvsim.Refused with the reason; a curve that does not
    exist or a constant that is negative or not finite ValueError; an argument of the wrong
    type or count TypeError."""
    if isinstance(curve, bool) or not isinstance(curve, _numbers.Integral):
        raise TypeError(f"cp(): curve must be a whole number {CURVES}, not {type(curve).__name__}")
    if curve not in CURVES:
        raise ValueError(f"cp(): no curve {curve} (the curves are 1, 2, 3, 4, 11, 12, 13, 14 "
                         f"and 16)")
    n = _agvsim._nconsts(curve)
    if len(constants) != n:
        raise TypeError(f"cp(): curve {curve} takes {n} constant{'s' if n > 1 else ''}, "
                        f"{len(constants)} given")
    c = [_real("cp", f"constant {i + 1}", v, "") for i, v in enumerate(constants)] + [0.0]
    for i, v in enumerate(c[:n]):
        if not _math.isfinite(v) or v < 0:
            raise ValueError(f"cp(): constant {i + 1} must be a finite number >= 0, not {v}")
    return _agvsim._cp(int(curve), c[0], c[1], _params("cp", params), bool(run), map)


def route(waypoints, *, params=None, map=None):
    """The passes of a route: waypoints (x [m], y [m], th [deg]) one after another, the first
    the start; each leg the PTP path from one to the next with the same parameters, driven
    without a break (every AGV starts a leg in the state it ended the one before in, the
    reference point on the leg's waypoint).  The result has the runs of the whole route, as
    ptp's for one path (arc[k], clothoid[k], each record with its leg), and the plans of the
    legs (legs, leg_summaries).  map: an agvsim.Map the route drives in, or None (as for ptp()).

    A leg that is refused refuses the route (a subclass of agvsim.Refused naming the leg);
    fewer than two waypoints, more than 100,000, or a pose that is not finite ValueError; an
    argument of the wrong type TypeError."""
    try:
        w = [_pose("route", f"waypoint {i}", p) for i, p in enumerate(waypoints)]
    except TypeError:
        if isinstance(waypoints, (str, bytes)) or not hasattr(waypoints, "__iter__"):
            raise TypeError(f"route(): waypoints must be a list of poses (x [m], y [m], th [deg]), "
                            f"not {type(waypoints).__name__}") from None
        raise
    return _agvsim._route(w, _params("route", params), map)


def track(points, *, th0=None, thf=None, params=None, run=True, map=None):
    """A CP pass along a track of your own: points, rows x [m], y [m] (a sequence of pairs or
    an array of n x 2, from 3 to 100,000 of them, none equal to the one before), joined by the
    cubic spline through them parameterised by chord length, with continuous heading and
    curvature.  th0 and thf [deg]: the headings the track takes at its first and last point
    (None: free, with no curvature there).  The result has the runs of a CP pass (runs[k]),
    its summary, and how the track bends: kapmax, kapmax_at and the stretches tighter than the
    vehicle can steer (tight).  With run=False, the track's length, table and bends only.
    map: an agvsim.Map the runs drive in, or None (as for ptp()).

    A refused track raises a subclass of agvsim.Refused with the reason (CurveTooLong: longer
    than maxSteps CP steps); too few or too many points, a point that is not finite or equal to
    the one before ValueError; points that are not pairs of numbers TypeError."""
    try:
        p = _np.asarray(points, dtype=float)
    except (TypeError, ValueError):
        raise TypeError(f"track(): points must be pairs of numbers x [m], y [m], "
                        f"not {type(points).__name__}") from None
    if p.ndim != 2 or p.shape[1] != 2:
        raise TypeError(f"track(): points must be pairs of numbers x [m], y [m] (n x 2), "
                        f"not of shape {p.shape}")
    heads = [None if th is None else _real("track", name, th, " [deg]")
             for name, th in (("th0", th0), ("thf", thf))]
    return _agvsim._track(p, heads[0], heads[1], _params("track", params), bool(run),
                          map)


_PICTURES = (".png", ".svg", ".pdf")
_VIDEOS = (".mp4", ".gif")
_SIDES = (16, 8192)  # the smallest and the largest side of a picture [px]
_SPEEDS = (0.01, 1000.0)  # the slowest and the fastest a video plays the motion


def _format(fn, file, formats, what):
    """The format of a file name by its extension, or ValueError listing the formats."""
    if not isinstance(file, (str, _os.PathLike)):
        raise TypeError(f"{fn}(): file must be a file name, not {type(file).__name__}")
    name = _os.fspath(file)
    if not isinstance(name, str) or not name:
        raise ValueError(f"{fn}(): file needs a name")
    if "\0" in name:
        raise ValueError(f"{fn}(): {name!r}: a file name holds no NUL character")
    ext = _os.path.splitext(name)[1].lower()
    if ext not in formats:
        raise ValueError(f"{fn}(): {name}: the formats of {what} are " + ", ".join(formats))
    return name, ext[1:]


def _two(fn, name, value, what):
    """An argument of two values, or TypeError saying what was expected."""
    try:
        a, b = value
    except (TypeError, ValueError):
        raise TypeError(f"{fn}(): {name} must be {what}, not {value!r}") from None
    return a, b


def _shot(fn, result, mechanism, drawing, size, pan):
    """The mechanism's number, the drawing's letter, the pan (dx, dy) and the size (w, h) of a
    picture."""
    if not isinstance(result, (PtpResult, CpResult, RouteResult, TrackResult)):
        raise TypeError(f"{fn}(): result must be a PtpResult, CpResult, RouteResult or "
                        f"TrackResult, not {type(result).__name__}")
    if isinstance(mechanism, str) and mechanism in MECHANISMS:
        mechanism = MECHANISMS.index(mechanism) + 1
    if isinstance(mechanism, bool) or mechanism not in (1, 2, 3):
        raise ValueError(f"{fn}(): no mechanism {mechanism!r}: the mechanisms are 1 (2DW1C), "
                         f"2 (1FDW1FS) and 3 (1RDW1FS)")
    if drawing not in ("arc", "clothoid"):
        raise ValueError(f"{fn}(): drawing must be 'arc' or 'clothoid', not {drawing!r}")
    w, h = _two(fn, "size", size, "(width, height) in pixels")
    for v in (w, h):
        if isinstance(v, bool) or not isinstance(v, _numbers.Integral) or \
                not _SIDES[0] <= v <= _SIDES[1]:
            raise ValueError(f"{fn}(): size {size!r}: whole numbers of pixels from {_SIDES[0]} "
                             f"to {_SIDES[1]} are needed")
    dx, dy = _two(fn, "pan", pan, "(dx [m], dy [m])")
    dx, dy = _real(fn, "pan[0]", dx, " [m]"), _real(fn, "pan[1]", dy, " [m]")
    if not (_math.isfinite(dx) and _math.isfinite(dy)):
        raise ValueError(f"{fn}(): pan must be finite, not {pan!r}")
    return int(mechanism), "a" if drawing == "arc" else "b", dx, dy, int(w), int(h)


def picture(result, file, *, mechanism=1, drawing="arc", step=None, size=(800, 800),
            pan=(0.0, 0.0)):
    """The window's picture of a result (PtpResult, CpResult, RouteResult or TrackResult)
    written to file,
    a .png, .svg or .pdf: mechanism 1, 2, 3 (or its name) on the "arc" (arc-line) or
    "clothoid" (clothoid-line) drawing, at a step of the motion (the last when None), size
    (width, height) pixels, its content moved right and up by pan (dx, dy) [m].  The file
    appears whole or not at all.

    An unknown extension, mechanism or drawing, or a step beyond the motion raises ValueError;
    a file that cannot be written OSError."""
    name, fmt = _format("picture", file, _PICTURES, "a picture")
    mech, draw, dx, dy, w, h = _shot("picture", result, mechanism, drawing, size, pan)
    if step is None:
        step = -1
    elif isinstance(step, bool) or not isinstance(step, _numbers.Integral) or step < 0:
        raise ValueError(f"picture(): step must be a whole number >= 0 or None, not {step!r}")
    elif step >= 2**31 - 1:  # beyond any motion's steps
        raise ValueError(f"picture(): step {step} is beyond the motion")
    try:
        _agvsim._picture(result, fmt, mech, draw, int(step), dx, dy, w, h, name)
    except ValueError as e:
        raise ValueError(f"picture(): {e}") from None


def video(result, file, *, mechanism=1, drawing="arc", speed=1.0, size=(800, 800),
          pan=(0.0, 0.0)):
    """The window's motion of a result (PtpResult, CpResult, RouteResult or TrackResult) as a
    video in file,
    a .mp4 (H.264, yuv420p) or .gif, 25 frames a second, speed seconds of the motion in each
    (real time for 1), from the start of the motion to its end; mechanism, drawing, size and
    pan as for picture().  The frames are streamed to the program ffmpeg as they are drawn; the file
    appears whole or not at all, also when Ctrl-C stops it.

    An unknown extension, mechanism or drawing, a speed outside 0.01 ... 1000 or an odd side of
    an MP4 raises ValueError; no ffmpeg on PATH FileNotFoundError; a file that cannot be
    written, or ffmpeg failing, OSError."""
    name, fmt = _format("video", file, _VIDEOS, "a video")
    mech, draw, dx, dy, w, h = _shot("video", result, mechanism, drawing, size, pan)
    speed = _real("video", "speed", speed, "")
    if not _SPEEDS[0] <= speed <= _SPEEDS[1]:
        raise ValueError(f"video(): speed must be from {_SPEEDS[0]} to {_SPEEDS[1]}, not {speed}")
    if fmt == "mp4" and (w % 2 or h % 2):
        raise ValueError(f"video(): an MP4 video needs an even width and height, not {size!r}")
    if _shutil.which("ffmpeg") is None:
        raise FileNotFoundError("video(): ffmpeg is not on PATH: videos need the program ffmpeg "
                                "(Debian's package ffmpeg)")
    _agvsim._video(result, name, fmt, mech, draw, dx, dy, speed, w, h)


def _repr_png_(result):
    """The window's picture of mechanism 1 at the end of the motion, as PNG bytes; None for a
    CP result without runs (run=False)."""
    try:
        return _agvsim._picture(result, "png", 1, "a", -1, 0.0, 0.0, 800, 800, None)
    except ValueError:
        return None


PtpResult._repr_png_ = _repr_png_
CpResult._repr_png_ = _repr_png_
RouteResult._repr_png_ = _repr_png_
TrackResult._repr_png_ = _repr_png_
