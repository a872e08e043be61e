"""agvsim.Map: a map of arrays is the map of its file, passes in a map report their first
contacts (mirrored in a mirrored map, kept by pickling), pictures are agvbatch's, bad maps refused."""
import math
import os
import pickle
import subprocess

import numpy as np
import pytest

import agvsim

AGVBATCH = os.environ.get("AGVBATCH", "agvbatch")
WAREHOUSE = os.path.join(os.path.dirname(__file__), "..", "..", "examples", "warehouse.yaml")
LANE = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "lane.csv")


def hall(unknown_corner=False):
    """20 x 20 m in cells of 0.1 m from (-5, -10): a wall from x = 4 to 4.5, y = -3 to 3."""
    occupied = np.zeros((200, 200), bool)
    occupied[70:130, 90:95] = True
    unknown = np.zeros_like(occupied)
    if unknown_corner:
        unknown[:20, :20] = True
    return agvsim.Map(occupied, 0.1, (-5.0, -10.0, 0.0), unknown=unknown)


def contacts(summary):
    """The contact columns of a summary, NaN (none) as None so that equal summaries compare equal."""
    return {k: None if math.isnan(v) else v for k, v in summary.items() if "contact" in k}


def test_a_map_of_arrays_is_the_map_of_its_file(tmp_path):
    m = hall(unknown_corner=True)
    grey = np.where(m.occupied, 0, np.where(m.unknown, 205, 254)).astype(np.uint8)
    (tmp_path / "hall.pgm").write_bytes(b"P5 200 200 255\n" + grey.tobytes())
    (tmp_path / "hall.yaml").write_text("image: hall.pgm\nresolution: 0.1\n"
                                        "origin: [-5.0, -10.0, 0.0]\n")
    f = agvsim.Map.load(str(tmp_path / "hall.yaml"))
    assert (f.size, f.extent, f.origin, f.resolution) == ((200, 200), (20.0, 20.0),
                                                          (-5.0, -10.0, 0.0), 0.1)
    for kind in ("free", "occupied", "unknown"):
        assert np.array_equal(getattr(f, kind), getattr(m, kind)), kind
    assert (m.free ^ m.occupied ^ m.unknown).all()
    a, b = agvsim.ptp(8, 1, 20, map=m), agvsim.ptp(8, 1, 20, map=f)
    assert contacts(a.summary) == contacts(b.summary)
    assert a.summary["segments"] == b.summary["segments"] == len(a.sgnK) and a.sf > 8
    assert not contacts(agvsim.ptp(8, 1, 20).summary)


def test_contacts_of_every_kind_of_pass_mirror_and_pickle():
    m = hall()
    mirror = agvsim.Map(np.flipud(m.occupied), 0.1, (-5.0, -10.0, 0.0))
    # The paths of a PTP pass and a route are searched round the wall, on the map's grid, which
    # a mirror image does not map onto itself: their paths differ by some 0.1% in cost.
    passes = [
        (lambda mp, s: agvsim.ptp(8, s, 20 * s, map=mp), False),
        (lambda mp, s: agvsim.route([(-2, 0, 0), (0, 0, 0), (8, s, 0)], map=mp), False),
        (lambda mp, s: agvsim.cp(1, 2, 5, map=mp, params=agvsim.Params(controller=1)), False),
        (lambda mp, s: agvsim.track([(-2, 0), (0, 0), (4, s), (8, 2 * s)], map=mp), True),
    ]
    for make, mirrored in passes:
        up = make(m, 1)
        cu = contacts(up.summary)
        touched = [k for k in cu if k.endswith("contact[s]") and cu[k] is not None]
        assert touched, cu
        if isinstance(up, agvsim.CpResult):  # a curve of its own, mirrored by no constants
            assert "cp1_trcontact[s]" in touched
        if not mirrored:
            touched = []
        else:
            cd = contacts(make(mirror, -1).summary)
            assert cu.keys() == cd.keys()
        for k in touched:
            base = k[:-len("[s]")]
            assert cd[k] == pytest.approx(cu[k], abs=1e-9), k
            assert cd[base + "y[m]"] == pytest.approx(-cu[base + "y[m]"], abs=1e-9), k
            assert cd[base + "th[rad]"] == pytest.approx(-cu[base + "th[rad]"], abs=1e-9), k
        again = pickle.loads(pickle.dumps(up))
        assert contacts(again.summary).keys() == cu.keys()
        assert contacts(again.summary) == cu
    legs = agvsim.route([(-2, 0, 0), (0, 0, 0), (8, 0, 0)], map=m).legs
    assert math.isnan(legs[0].summary["arc_contact[s]"])  # the searched path touches nothing
    again = pickle.loads(pickle.dumps(legs[1])).summary
    assert math.isnan(again["arc_contact[s]"]) and again["segments"] == legs[1].summary["segments"] > 3


@pytest.mark.parametrize("command, make", [
    (["ptp", "8", "3", "90", "--from", "2", "2", "0", "--param", "reverse=1"],
     lambda **map: agvsim.ptp(8, 3, 90, start=(2, 2, 0), params=agvsim.Params(reverse=1), **map)),
    (["track", LANE],  # the lane's U-turn runs into a rack
     lambda **map: agvsim.track(np.loadtxt(LANE, delimiter=",", skiprows=2, usecols=(0, 1)),
                                th0=0, thf=180, **map)),
])
def test_a_picture_in_a_map_is_agvbatchs(tmp_path, command, make):
    subprocess.run([AGVBATCH, *command, "--map", WAREHOUSE, "--picture",
                    str(tmp_path / "batch.png")], check=True)
    r = make(map=agvsim.Map.load(WAREHOUSE))
    agvsim.picture(r, str(tmp_path / "py.png"))
    assert (tmp_path / "py.png").read_bytes() == (tmp_path / "batch.png").read_bytes()
    agvsim.picture(make(), str(tmp_path / "open.png"))
    assert (tmp_path / "open.png").read_bytes() != (tmp_path / "py.png").read_bytes()


@pytest.mark.parametrize("make, error, says", [
    (lambda: agvsim.Map(np.zeros(3, bool), 1.0), ValueError, "two axes"),
    (lambda: agvsim.Map(np.zeros((0, 4), bool), 1.0), ValueError, "sides must be from 1"),
    (lambda: agvsim.Map(np.zeros((4, 4), bool), -1.0), ValueError, "resolution must be"),
    (lambda: agvsim.Map(np.zeros((4, 4), bool), math.nan), ValueError, "resolution must be"),
    (lambda: agvsim.Map(np.zeros((4, 4), bool), 1.0, (0, 0, math.inf)), ValueError,
     "origin must be finite"),
    (lambda: agvsim.Map(np.zeros((4, 4), bool), 1.0, (0, 0)), TypeError, "origin"),
    (lambda: agvsim.Map(np.zeros((4, 4), bool), 1.0, unknown=np.zeros((2, 2), bool)),
     ValueError, "the shape of occupied"),
    (lambda: agvsim.Map(object(), 1.0), ValueError, "two axes"),
    (lambda: agvsim.Map.load("/nonexistent.yaml"), ValueError, "No such file"),
    (lambda: agvsim.Map.load(WAREHOUSE.replace(".yaml", ".pgm")), ValueError,
     "not a map's YAML file"),
    (lambda: agvsim.ptp(1, 2, 3, map="hall.yaml"), TypeError, "agvsim.Map or None"),
    (lambda: agvsim.ptp(1, 2, 3, map=hall(), params=agvsim.Params(bodyWidth=200)), ValueError,
     "bodyWidth"),
    # What the search cannot reach: a refusal of its own, a Refused.
    (lambda: agvsim.ptp(4.2, 0, 0, map=hall()), agvsim.NoPathInMap,
     r"no path in the map: the goal pose \(4.2 m, 0 m, 0 deg\) touches an obstacle"),
    (lambda: agvsim.route([(0, 0, 0), (0, 5, 90), (4.2, 1, 0)], map=hall()), agvsim.Refused,
     r"leg 2 from \(0, 5, 90 deg\) to \(4.2, 1, 0 deg\): no path in the map: the goal pose"),
])
def test_bad_maps_are_refused(make, error, says):
    with pytest.raises(error, match=says):
        make()
