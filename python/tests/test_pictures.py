"""agvsim.picture and agvsim.video: the bytes of agvbatch's pictures, videos read back by
ffprobe, notebooks' PNG, bad arguments refused with nothing written, Ctrl-C during a video."""
import os
import re
import stat
import subprocess
import threading

import pytest

import agvsim

AGVBATCH = os.environ.get("AGVBATCH", "agvbatch")


@pytest.fixture(scope="module")
def ptp():
    return agvsim.ptp(2, 3, 0)


@pytest.mark.parametrize("name, args, kw", [
    ("p.png", ["ptp", "2", "3", "0", "--mechanism", "2", "--drawing", "clothoid", "--step", "40"],
     dict(mechanism=2, drawing="clothoid", step=40)),
    ("p.svg", ["cp", "16", "0.2", "3", "--mechanism", "3", "--pan", "-0.5", "0.25"],
     dict(mechanism="1RDW1FS", pan=(-0.5, 0.25))),
    ("p.pdf", ["ptp", "2", "3", "0", "--size", "300x200"], dict(size=(300, 200))),
])
def test_pictures_are_the_bytes_of_agvbatchs(tmp_path, name, args, kw):
    subprocess.run([AGVBATCH, *args, "--picture", str(tmp_path / ("batch_" + name))], check=True)
    r = agvsim.cp(16, 0.2, 3) if args[0] == "cp" else agvsim.ptp(2, 3, 0)
    agvsim.picture(r, tmp_path / name, **kw)
    mine = (tmp_path / name).read_bytes()
    theirs = (tmp_path / ("batch_" + name)).read_bytes()
    if name.endswith(".pdf"):  # the dates of making differ
        mine, theirs = (b.split(b"/CreationDate")[0] for b in (mine, theirs))
    if name.endswith(".svg"):  # Cairo numbers its surfaces within a process
        mine, theirs = (re.sub(rb"surface\d+", b"surface", b) for b in (mine, theirs))
    assert mine == theirs
    assert sorted(p.name for p in tmp_path.iterdir()) == sorted([name, "batch_" + name])


def test_results_show_themselves_as_png_in_a_notebook(ptp):
    for r in (ptp, agvsim.cp(13, 1), agvsim.route([(0, 0, 0), (4, 2, 90)])):
        png = r._repr_png_()
        assert png[:8] == b"\x89PNG\r\n\x1a\n"
        assert int.from_bytes(png[16:20], "big") == int.from_bytes(png[20:24], "big") == 800
    assert agvsim.cp(13, 1, run=False)._repr_png_() is None


def probe(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                          "-show_entries", "stream=nb_read_frames,width,height,codec_name",
                          "-of", "default=noprint_wrappers=1", str(path)],
                         check=True, capture_output=True, text=True).stdout
    return dict(line.split("=") for line in out.split())


def test_videos_are_those_of_agvbatch(tmp_path, ptp):
    agvsim.video(ptp, tmp_path / "v.mp4", speed=2, mechanism=3, size=(320, 240))
    agvsim.video(ptp, str(tmp_path / "v.gif"), speed=8)
    subprocess.run([AGVBATCH, "ptp", "2", "3", "0", "--video", str(tmp_path / "b.mp4"),
                    "--speed", "2", "--mechanism", "3", "--size", "320x240"], check=True)
    v, b = probe(tmp_path / "v.mp4"), probe(tmp_path / "b.mp4")
    assert v == b
    assert (v["codec_name"], v["width"], v["height"]) == ("h264", "320", "240")
    assert probe(tmp_path / "v.gif")["codec_name"] == "gif"


@pytest.mark.parametrize("call, error, says", [
    (lambda r, d: agvsim.picture(r, d / "p.bmp"), ValueError, ".png, .svg, .pdf"),
    (lambda r, d: agvsim.video(r, d / "v.png"), ValueError, ".mp4, .gif"),
    (lambda r, d: agvsim.picture(r, d / "p.png", step=207), ValueError,
     "step 207 is beyond the motion: its last step is 206"),
    (lambda r, d: agvsim.picture(r, d / "p.png", step=-1), ValueError, "step"),
    (lambda r, d: agvsim.picture(r, d / "p.png", step=10**30), ValueError,
     f"step {10**30} is beyond the motion"),
    (lambda r, d: agvsim.picture(r, d / "p.png", mechanism=4), ValueError, "no mechanism 4"),
    (lambda r, d: agvsim.picture(r, d / "p.png", drawing="spline"), ValueError, "drawing"),
    (lambda r, d: agvsim.picture(r, d / "p.png", size=(8, 8)), ValueError, "size"),
    (lambda r, d: agvsim.picture(r, d / "p.png", size=800), TypeError, "size"),
    (lambda r, d: agvsim.picture("r", d / "p.png"), TypeError, "PtpResult"),
    (lambda r, d: agvsim.picture(r, d / "folder.png"), IsADirectoryError, "is a folder"),
    (lambda r, d: agvsim.picture(r, d / "none" / "p.png"), FileNotFoundError, "none"),
    (lambda r, d: agvsim.picture(r, d / "dangling.png"), FileNotFoundError, "symbolic link"),
    (lambda r, d: agvsim.video(r, d / "v.mp4", speed=0), ValueError, "speed"),
    (lambda r, d: agvsim.picture(r, str(d / "p.png") + "\0.png"), ValueError, "NUL"),
    (lambda r, d: agvsim.video(r, d / "v.mp4", size=(401, 300)), ValueError, "even"),
])
def test_bad_arguments_raise_and_write_nothing(tmp_path, ptp, call, error, says):
    (tmp_path / "folder.png").mkdir()
    (tmp_path / "dangling.png").symlink_to(tmp_path / "none" / "x.png")
    with pytest.raises(error, match=None) as e:
        call(ptp, tmp_path)
    assert says in str(e.value)
    assert sorted(p.name for p in tmp_path.iterdir()) == ["dangling.png", "folder.png"]


def test_ffmpeg_missing_or_failing_raises_oserror_and_writes_nothing(tmp_path, ptp, monkeypatch):
    monkeypatch.setenv("PATH", str(tmp_path / "none"))
    with pytest.raises(FileNotFoundError, match="ffmpeg is not on PATH"):
        agvsim.video(ptp, tmp_path / "v.mp4")
    bin_ = tmp_path / "bin"
    bin_.mkdir()
    fake = bin_ / "ffmpeg"
    fake.write_text("#!/bin/sh\nhead -c 3000000 >/dev/null\necho 'fake: broke' >&2\nexit 1\n")
    fake.chmod(stat.S_IRWXU)
    monkeypatch.setenv("PATH", str(bin_) + ":/usr/bin:/bin")
    with pytest.raises(OSError, match="ffmpeg failed: fake: broke"):
        agvsim.video(ptp, tmp_path / "v.mp4")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["bin"]


def test_a_fifo_takes_a_video_in_place_and_a_link_is_followed(tmp_path, ptp):
    fifo = tmp_path / "fifo.gif"
    os.mkfifo(fifo)
    got = []
    reader = threading.Thread(target=lambda: got.append(fifo.read_bytes()))
    reader.start()
    agvsim.video(ptp, fifo, speed=8, size=(64, 64))
    reader.join()
    assert got[0][:6] == b"GIF89a"
    assert stat.S_ISFIFO(os.lstat(fifo).st_mode)
    (tmp_path / "real.png").write_text("old")
    (tmp_path / "link.png").symlink_to(tmp_path / "real.png")
    agvsim.picture(ptp, tmp_path / "link.png")
    assert (tmp_path / "link.png").is_symlink()
    assert (tmp_path / "real.png").read_bytes()[:4] == b"\x89PNG"


def test_ctrl_c_during_a_video_raises_keyboardinterrupt_and_leaves_nothing(tmp_path, ptp):
    # From another process, as a terminal sends it: the video holds the GIL.
    kill = subprocess.Popen(["sh", "-c", f"sleep 1; kill -INT {os.getpid()}"])
    with pytest.raises(KeyboardInterrupt):
        agvsim.video(ptp, tmp_path / "v.mp4", speed=0.01)  # 400 s of video
    kill.wait()
    assert list(tmp_path.iterdir()) == []


def test_names_that_are_not_plain_files_are_written_in_place_or_refused(tmp_path, ptp):
    """A device, a FIFO and a descriptor of the process are written in place, never replaced; a
    socket, an empty name and a folder that cannot be written in are refused; no temporary file
    is left beside any."""
    import socket
    sock = socket.socket(socket.AF_UNIX)
    sock.bind(str(tmp_path / "sock.png"))
    os.mkfifo(tmp_path / "fifo.png")
    got = []
    reader = threading.Thread(target=lambda: got.append((tmp_path / "fifo.png").read_bytes()),
                              daemon=True)
    reader.start()
    log = open(tmp_path / "log.png", "ab")
    log.write(b"old")
    log.flush()
    (tmp_path / "fd.png").symlink_to(f"/dev/fd/{log.fileno()}")  # a link to a descriptor
    cases = [  # name, exception, what the name is afterwards
        (tmp_path / "fifo.png", None, stat.S_ISFIFO),
        (tmp_path / "fd.png", None, stat.S_ISREG),
        (tmp_path / "sock.png", OSError, stat.S_ISSOCK),
        ("", ValueError, None),
        ("/sys/agvsim.png", PermissionError, None),
        (tmp_path / "log.png" / "p.png", NotADirectoryError, None),
    ]
    if os.geteuid() == 0:  # a device of its own, as /dev/null is (1, 3)
        os.mknod(tmp_path / "null.png", stat.S_IFCHR | 0o666, os.makedev(1, 3))
        cases.append((tmp_path / "null.png", None, stat.S_ISCHR))
    for name, error, stays in cases:
        if error is None:
            agvsim.picture(ptp, name)
        else:
            with pytest.raises(error):
                agvsim.picture(ptp, name)
        if stays is not None:
            assert stays(os.stat(name).st_mode), name
    reader.join(60)  # a FIFO replaced would leave its reader waiting
    log.close()
    assert got and got[0][:4] == b"\x89PNG"
    assert (tmp_path / "log.png").read_bytes() == b"old" + got[0]
    assert (tmp_path / "fd.png").is_symlink()
    sock.close()
    assert sorted(p.name for p in tmp_path.iterdir()) == sorted(
        ["sock.png", "fifo.png", "log.png", "fd.png"] + (["null.png"] if os.geteuid() == 0 else []))
