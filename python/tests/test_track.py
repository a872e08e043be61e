"""agvsim.track: a path of one's own points, against agvbatch's files of the same track; its
bends, pickling, pictures and bad arguments."""
import pickle

import numpy as np
import pytest

import agvsim
from test_agvsim import batch, expect_cp_files, expect_tracked_files, same

# A lane: out along an aisle, a U-turn a little tighter than Ra = 1 m, back along the next.
LANE = [(0, 0), (2, 0), (4, 0.2), (6, 0), (7.2, 0.6), (7.4, 1.6), (6.6, 2.4), (5, 2.5), (3, 2.4),
        (1, 2.5)]


def test_track_arrays_equal_the_files_of_agvbatch(tmp_path):
    path = tmp_path / "lane.csv"
    rows = [f"{x},{y}" for x, y in LANE]
    path.write_text("# a lane\nx,y,th\n" + rows[0] + ",0\n" + "\n".join(rows[1:-1]) + "\n" +
                    rows[-1] + ",180\n")
    r = agvsim.track(LANE, th0=0, thf=180, params=agvsim.Params(controller="stanley"))
    out = batch(tmp_path, "track", str(path), "--param", "controller=stanley")
    expect_cp_files(r, out)
    expect_tracked_files(r, out)
    # The U-turn is the one stretch tighter than the vehicle, its sharpest point inside it.
    assert len(r.tight) == r.summary["tights"] == 1
    s0, s1, x, y = r.tight[0]
    s, kx, ky = r.kapmax_at
    assert s0 < s < s1 and r.kapmax == r.summary["kapmax[1/m]"] > 1.0
    assert (kx, ky) == (r.summary["kapmax_x[m]"], r.summary["kapmax_y[m]"])
    assert r.P0.th == 0 and r.Pf.th_deg == pytest.approx(180, abs=1e-6)
    assert np.array_equal(r.points, np.array(LANE, dtype=float)) and (r.th0, r.thf) == (0, 180)


def test_tracks_pickle_as_the_pass_and_show_their_picture():
    for r in (agvsim.track(LANE), agvsim.track(np.array(LANE) * 2, thf=90, run=False)):
        again = pickle.loads(pickle.dumps(r))
        assert same(again.summary, r.summary) and np.array_equal(again.runs[3].cv, r.runs[3].cv)
        assert again.length == r.length and again.thf == r.thf
        assert np.array_equal(again.table, r.table) and again.tight == r.tight
    r = agvsim.track(LANE)
    assert r._repr_png_().startswith(b"\x89PNG") and r.runs[2].name == "1FDW1FS"
    assert agvsim.track(LANE, run=False)._repr_png_() is None


@pytest.mark.parametrize("points, kind, says", [
    (LANE[:2], ValueError, "a track has from 3 to 100000 points, not 2"),
    ([(0, 0), (1, 1), (1, 1), (2, 0)], ValueError, "point 3 of the track is the point before it"),
    ([(0, 0), (1, float("inf")), (2, 0)], ValueError, "point 2 of the track (or its heading)"),
    ("abc", TypeError, "points must be pairs of numbers"),
    ([(1, 2, 3)] * 4, TypeError, "not of shape (4, 3)"),
    ([(0, 0), (40, 0), (80, 1)], agvsim.CurveTooLong, "longer than 3000 CP steps"),
])
def test_bad_tracks_raise_with_their_reason(points, kind, says):
    with pytest.raises(kind) as e:
        agvsim.track(points)
    assert says in str(e.value)
    with pytest.raises(TypeError, match="th0 must be a number"):
        agvsim.track(LANE, th0="north")
