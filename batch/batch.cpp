#include "batch/batch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <vector>

#include "agv/agv.h"
#include "batch/files.h"
#include "batch/pictures.h"
#include "batch/sweep.h"
#include "cli/csv.h"
#include "cli/params.h"
#include "cli/passargs.h"
#include "cli/route.h"
#include "mapfile/mapfile.h"

namespace agvbatch {

using namespace agv;
using namespace agv::cli;

namespace {

const char kAbout[] =
    "usage: agvbatch ptp XF YF THF_DEG [--from X0 Y0 TH0_DEG] [--out DIR] [PICTURES]\n"
    "       agvbatch cp I C1 [C2] [--out DIR] [PICTURES]\n"
    "       agvbatch sweep --x A:B:STEP --y A:B:STEP --th A:B:STEP [--from X0 Y0 TH0_DEG]\n"
    "                      [--set NAME=A:B:STEP]... [--jobs N] [--shard K/N]\n"
    "                      [--progress | --quiet] [--out FILE]\n"
    "       agvbatch sweep --route FILE [--set NAME=A:B:STEP]... [the options of sweep]\n"
    "       agvbatch sweep cp I --A A:B:STEP [--B A:B:STEP] [--set NAME=A:B:STEP]... [...]\n"
    "       agvbatch merge FILE... [--out FILE]\n"
    "       agvbatch route FILE [--out DIR] [PICTURES]\n"
    "       agvbatch track FILE [--out DIR] [PICTURES]\n"
    "       each with [--param NAME=VALUE]... [--params FILE]; agvbatch COMMAND --help\n"
    "       PICTURES: [--picture FILE] [--video FILE] [--mechanism 1|2|3]\n"
    "                 [--drawing arc|clothoid] [--step N] [--size WxH] [--pan DX DY]\n"
    "                 [--speed X]\n"
    "\n"
    "agvbatch: the computations of agvsim without its window, written as CSV files.\n"
    "\n"
    "  ptp    one PTP pass from (0, 0, 0 deg), or the --from pose, to the end pose XF, YF [m],\n"
    "         THF [deg], in the world's frame:\n"
    "         arc_K.csv and clothoid_K.csv (reference, constant-velocity and error records\n"
    "         of mechanism K = 1, 2, 3 at every time step), arc_K_vv.csv and\n"
    "         clothoid_K_vv.csv (the variable-velocity runs), summary.csv and params.toml\n"
    "  cp     one CP pass along curve I (1, 2, 3, 4, 11, 12, 13, 14, 16) with its\n"
    "         constants as the set-up menu asks for them (curve 13 takes one):\n"
    "         cp_K.csv, summary.csv and params.toml\n"
    "  sweep  a PTP pass to every end pose of the grid x, y [m], th [deg] (ranges from A\n"
    "         to B in steps of STEP), for every value of the parameters of --set: one row\n"
    "         per pose in grid order (the parameters of --set outermost, then x, y, th),\n"
    "         its grid index first, with the pass's summary or the reason it was refused;\n"
    "         --shard K/N computes the K-th of N slices (K = 0 ... N-1) for another machine;\n"
    "         --from: every pass from that start pose (its columns x0, y0, th0 in the rows);\n"
    "         --route FILE: the route once for each set of parameters, a row each with the\n"
    "         route's summary; cp I: a CP pass along curve I for each value of its constants\n"
    "         (--A C1, --B C2 as axes, inside those of --set), a row each with the CP summary\n"
    "  merge  the slices of one sweep into the file of the whole sweep, the same bytes\n"
    "  route  the PTP passes of a route, leg after leg, driven without a break: FILE is CSV,\n"
    "         a header x,y,th then a waypoint a line (x, y [m], th [deg]; # comments); the\n"
    "         run files of ptp over the whole route, each record with its leg, legs.csv (a\n"
    "         row per leg: its poses and a pass's summary), summary.csv and params.toml\n"
    "  track  the CP pass along a track: FILE is CSV, a header x,y or x,y,th then a point a\n"
    "         line (x, y [m]; th [deg] at the first and the last point only, where the track\n"
    "         takes that heading; # comments), joined by a cubic spline: the files of cp, and\n"
    "         on stderr its largest curvature and where it is tighter than 1/Ra\n"
    "\n"
    "--picture FILE draws the window's picture of the pass (.png, .svg or .pdf): mechanism\n"
    "1, 2 or 3 on the arc-line or clothoid-line drawing at a step of the motion (the last\n"
    "unless --step), 800x800 pixels unless --size, its content moved by --pan DX DY [m].\n"
    "--video FILE records the window's motion\n"
    "(.mp4, H.264, or .gif; ffmpeg encodes it), 25 frames a second, in real time or --speed\n"
    "times faster. With either, the CSV files are written only where --out is given.\n"
    "\n"
    "Numbers are written so that they read back to the same double. A file is written\n"
    "beside its name and renamed when complete. params.toml holds the parameters in force\n"
    "(--params reads it back); a sweep with parameters other than the defaults, or with\n"
    "--set, has them all as columns. SIGINT, SIGTERM or SIGHUP stop the program at once,\n"
    "and nothing is written.\n"
    "Exit status: 0 done, 1 path refused (the reason on stderr), 2 bad usage, bad\n"
    "numbers or files that cannot be written, 128 + N after signal N.";

int refused(const std::string& why) {
  std::fprintf(stderr, "agvbatch: refused: %s\n", why.c_str());
  return REFUSED;
}

// The map of --map and its index for the parameters' body.
struct World {
  Map map;
  MapIndex index;
};

// The world of the map file `file` for the parameters p, or null where no map is given; the
// status of a failure in st (its message written: the file and what is wrong with it).
std::unique_ptr<World> loadworld(const std::string& file, const Params& p, int& st) {
  st = OK;
  if (file.empty()) return nullptr;
  auto w = std::make_unique<World>();
  std::string err;
  if (!mapfile::loadmap(file, w->map, err)) {
    st = failed(err);
    return nullptr;
  }
  if (!buildindex(w->map, p, w->index)) {
    const std::string why = checkmap(w->map);
    st = failed(file + ": " + (why.empty() ? checkparams(p) : why));
    return nullptr;
  }
  return w;
}

// A run file's lines, written in pieces.  False with the reason in err.
template <class Lines>
bool linescsv(Output& out, const Lines& l, std::string& err) {
  Pieces p(out);
  std::string& s = p.text();
  l.header(s);
  for (size_t i = 0; i < l.size(); ++i) {
    l.line(s, i);
    if (!p.flush(err)) return false;
  }
  return p.flush(err, true);
}

// A file of the folder with its text.
bool textfile(Files& dir, const std::string& name, const std::string& text, std::string& err) {
  Output* o = dir.file(name, err);
  return o != nullptr && o->put(text, err);
}

// The message of a folder whose files cannot be written.
int unwritten(const std::string& dir, const std::string& err) {
  return failed("cannot write the files in " + dir + ": " + err + "; " + leftover());
}

// The session s with the shot of the pictures chosen; null where the shot is not there (its
// message written, the status in st).
std::unique_ptr<Scene> picturesof(std::unique_ptr<Scene> s, const PictureArgs& pics, int& st) {
  std::string err;
  st = OK;
  if (!choose(*s, shotof(pics), err)) {
    st = usage(err);
    return nullptr;
  }
  return s;
}

bool ptpfiles(const Params& p, const PtpResult& r, Files& out, std::string& err);
bool cpfiles(const Params& p, const CpResult& r, const std::string& summary, Files& out,
             std::string& err);
bool routefiles(const Params& p, const RouteResult& r, Files& out, std::string& err);

// The CSV files (where dir is not empty), then the pictures (where asked for), all renamed to
// their names at the end, the folder of the CSV files last: a failure anywhere writes nothing.
template <class R, class Write>
int outputs(const R& r, std::unique_ptr<Scene> (*show)(const R&), const World* world,
            const PictureArgs& pics, const std::string& dir, Write csv) {
  std::unique_ptr<Scene> s;
  if (pics.any()) {
    int st = OK;
    std::unique_ptr<Scene> shown = show(r);
    if (world != nullptr) {
      shown->map = &world->map;
      mapview(shown->view, world->map);
    }
    s = picturesof(std::move(shown), pics, st);
    if (s == nullptr) return st;
  }
  Files out(dir, pending());
  std::string err;
  if (!dir.empty() && (!out.open(err) || !csv(out, err))) return unwritten(dir, err);
  if (s != nullptr) {
    const int st = writepictures(*s, pics, out);
    if (st != OK) return st;
  }
  if (!out.commit(err))
    return failed(
        "cannot write " +
        (dir.empty() ? "the pictures" : "the files in " + dir + (s ? " and the pictures" : "")) +
        ": " + err + "; " + leftover());
  return OK;
}

int cmdptp(const Params& p, const std::vector<std::string>& pose,
           const std::vector<std::string>& from, const World* world, const std::string& dir,
           const PictureArgs& pics) {
  if (pose.size() != 3) return usage("ptp takes the end pose: XF YF THF_DEG");
  double v[6] = {0, 0, 0, 0, 0, 0};  // the end pose, then the start pose
  std::string err;
  if (!numbers(pose, v, err)) return usage(err);
  if (!numbers(from, v + 3, err)) return usage("--from: " + err);
  auto r = std::make_unique<PtpResult>();
  const Waypoint start{v[3], v[4], v[5]}, end{v[0], v[1], v[2]};
  if ((world != nullptr ? passPTP(p, start, end, world->index, *r) : passPTP(p, start, end, *r)) !=
      Status::Done)
    return (r->refusal.status == Status::BadPose ? usage : refused)(reason(r->refusal, p));
  return outputs(*r, ptpshow, world, pics, dir,
                 [&](Files& out, std::string& e) { return ptpfiles(p, *r, out, e); });
}

// The run files of a pass or a route in the folder (its path.csv among them where it has one).
// False with the reason in err.
template <class R>
bool pathfiles(Files& out, const R& r, std::string& err) {
  return runfiles(r, [&](const std::string& name, const auto& lines) {
    Output* o = out.file(name, err);
    return o != nullptr && linescsv(*o, lines, err);
  });
}

bool ptpfiles(const Params& p, const PtpResult& r, Files& out, std::string& err) {
  return pathfiles(out, r, err) && textfile(out, "summary.csv", summarytext(r), err) &&
         textfile(out, "params.toml", paramtext(p), err);
}

int cmdroute(const Params& p, const std::string& file, const World* world, const std::string& dir,
             const PictureArgs& pics) {
  std::vector<Waypoint> w;
  std::string err;
  if (!cli::readroute(file, w, err)) return usage(err);
  auto r = std::make_unique<RouteResult>();
  if ((world != nullptr ? passRoute(p, w, world->index, *r) : passRoute(p, w, *r)) != Status::Done)
    return refused(reason(*r));
  return outputs(*r, routeshow, world, pics, dir,
                 [&](Files& out, std::string& e) { return routefiles(p, *r, out, e); });
}

bool routefiles(const Params& p, const RouteResult& r, Files& out, std::string& err) {
  return pathfiles(out, r, err) && textfile(out, "legs.csv", legstext(r), err) &&
         textfile(out, "summary.csv", summarytext(r), err) &&
         textfile(out, "params.toml", paramtext(p), err);
}

int cmdcp(const Params& p, const std::vector<std::string>& args, const World* world,
          const std::string& dir, const PictureArgs& pics) {
  Curve c;
  std::string err;
  if (!curveargs(args, c, err)) return usage(err);
  auto r = std::make_unique<CpResult>();
  if ((world != nullptr ? passCP(p, c, world->index, *r) : passCP(p, c, *r)) != Status::Done)
    return refused(reason(r->refusal, p));
  return outputs(*r, cpshow, world, pics, dir, [&](Files& out, std::string& e) {
    return cpfiles(p, *r, summarytext(*r), out, e);
  });
}

// The report of a track on stderr: its length and largest curvature, and the stretches tighter
// than the vehicle can steer (the first few of them).
void trackreport(const TrackResult& r) {
  constexpr size_t kListed = 5;
  const Bends& b = r.bends;
  std::fprintf(stderr,
               "agvbatch: track: %zu points, %.6g m; largest curvature %.6g 1/m at s = %.6g m "
               "(%.6g, %.6g)\n",
               r.track.points.size(), r.length, b.kapmax, b.s, b.x, b.y);
  if (b.tight.empty()) return;
  std::fprintf(stderr,
               "agvbatch: track: tighter than the vehicle can steer (|curvature| > 1/Ra = %g 1/m) "
               "along %.6g m in %zu stretch%s:",
               1.0 / r.params.Ra, b.tightlength(), b.tight.size(), b.tight.size() > 1 ? "es" : "");
  for (size_t i = 0; i < b.tight.size() && i < kListed; ++i)
    std::fprintf(stderr, "%s s = %.6g ... %.6g m from (%.6g, %.6g)", i > 0 ? ";" : "",
                 b.tight[i].s0, b.tight[i].s1, b.tight[i].x, b.tight[i].y);
  if (b.tight.size() > kListed) std::fprintf(stderr, "; and %zu more", b.tight.size() - kListed);
  std::fputc('\n', stderr);
}

int cmdtrack(const Params& p, const std::string& file, const World* world, const std::string& dir,
             const PictureArgs& pics) {
  cli::TrackFile t;
  std::string err;
  if (!cli::readtrack(file, t, err)) return usage(err);
  auto r = std::make_unique<TrackResult>();
  const Status st = world != nullptr ? passTrack(p, t.track, world->index, *r)
                                      : passTrack(p, t.track, *r);
  if (st == Status::BadTrack)
    return usage(cli::trackerror(file, t, r->refusal, reason(r->refusal, p)));
  if (st != Status::Done) return refused(reason(r->refusal, p));
  trackreport(*r);
  return outputs(*r, trackshow, world, pics, dir, [&](Files& out, std::string& e) {
    return cpfiles(p, *r, summarytext(*r), out, e);
  });
}

bool cpfiles(const Params& p, const CpResult& r, const std::string& summary, Files& out,
             std::string& err) {
  return pathfiles(out, r, err) && textfile(out, "summary.csv", summary, err) &&
         textfile(out, "params.toml", paramtext(p), err);
}

// A parameter axis NAME=A:B:STEP; every value of it must be one the parameter may take.
bool axis(const std::string& s, Axis& a, std::string& err) {
  const size_t eq = s.find('=');
  if (eq == std::string::npos) {
    err = "--set " + s + ": NAME=A:B:STEP expected";
    return false;
  }
  a.name = s.substr(0, eq);
  // A and B may be the names of values (controller=purepursuit:rearwheel:1).
  std::string range = s.substr(eq + 1);
  for (size_t from = 0, i = 0; i < 2 && from <= range.size(); ++i) {
    const size_t colon = std::min(range.find(':', from), range.size());
    const double v = paramvalue(a.name, range.substr(from, colon - from));
    if (!std::isnan(v)) range.replace(from, colon - from, std::to_string(static_cast<long>(v)));
    from = std::min(range.find(':', from), range.size()) + 1;
  }
  if (!parserange(range, a.r, err)) {
    err = "--set " + s + ": " + err;
    return false;
  }
  Params p;
  // The values run from A up, a step apart: the first, the last and the step tell them all.
  const double last = a.r.at(a.r.count() - 1);
  for (double v : {a.r.a, last}) {
    if (setparam(p, a.name, v) != ParamCheck::Ok) {
      err = "--set " + s + ": " + paramerror(a.name, v);
      return false;
    }
  }
  for (int i = 0; i < nParams; ++i) {
    if (paraminfo(i).name == a.name && paraminfo(i).whole && std::floor(a.r.step) != a.r.step) {
      err = "--set " + s + ": " + a.name + " takes whole numbers: a whole STEP is needed";
      return false;
    }
  }
  return true;
}

struct SweepArgs {
  std::vector<std::string> kind;  // empty, or "cp" and the curve number
  std::string ranges[3];          // --x, --y, --th
  std::vector<std::string> from;  // --from X0 Y0 TH0
  std::string route;              // --route FILE
  std::string consts[2];          // --A, --B
  std::vector<std::string> sets;
  std::string shard;
  int jobs = 1;
  bool progress = false;
  bool quiet = false;
};

// The options of the sweep that were given, of those named.
std::vector<std::string> given(const CLI::App& sw, std::initializer_list<const char*> names) {
  std::vector<std::string> v;
  for (const char* n : names)
    if (sw.get_option(n)->count() > 0) v.push_back(n);
  return v;
}

// The kind of the sweep and the axes of its kind in g, from the options; a usage status (its
// message written) where they do not fit together.
int sweepkind(const CLI::App& sw, const SweepArgs& a, Grid& g) {
  const std::vector<std::string> ptp = given(sw, {"--x", "--y", "--th", "--from"});
  const std::vector<std::string> cp = given(sw, {"--A", "--B"});
  if (!a.kind.empty()) {
    long I = 0;
    if (a.kind[0] != "cp" || a.kind.size() != 2 || !whole(a.kind[1], I) || I < INT_MIN ||
        I > INT_MAX)
      return usage("sweep takes no arguments but cp I (sweep cp I --A A:B:STEP [--B A:B:STEP])");
    g.kind = Kind::Cp;
    g.curve = static_cast<int>(I);
    const int n = nconsts(g.curve);
    if (n == 0) return usage("unknown curve number " + a.kind[1]);
    if (!ptp.empty() || !a.route.empty())
      return usage("sweep cp takes the curve's constants (--A, --B), not " +
                   (ptp.empty() ? std::string("--route") : ptp[0]));
    const char* names[2] = {"--A", "--B"};
    if (static_cast<int>(cp.size()) != n || (n == 1 && cp[0] != names[0]))
      return usage("curve " + a.kind[1] + " takes " +
                   (n == 1 ? std::string("1 constant: --A") : "2 constants: --A and --B"));
    for (int i = 0; i < n; ++i) {
      Range r;
      std::string err;
      if (!parserange(a.consts[i], r, err)) return usage(names[i] + (" " + err));
      if (r.a < 0) return usage(names[i] + std::string(": a constant is negative: ") + a.consts[i]);
      g.axes.push_back(r);
    }
    return OK;
  }
  if (!cp.empty()) return usage(cp[0] + " gives a constant of a curve: sweep cp I " + cp[0] + " ...");
  if (!a.route.empty() || sw.get_option("--route")->count() > 0) {
    if (!ptp.empty()) return usage("--route sweeps a route, not end poses: no " + ptp[0]);
    if (a.route.empty()) return usage("--route needs a name");
    g.kind = Kind::Route;
    g.routename = a.route;
    std::string err;
    if (!cli::readroute(a.route, g.route, err)) return usage(err);
    return OK;
  }
  const char* names[3] = {"x", "y", "th"};
  for (int i = 0; i < 3; ++i) {
    const std::string opt = "--" + std::string(names[i]);
    if (sw.get_option(opt)->count() == 0)
      return usage(opt + " is required (a sweep of end poses takes --x, --y and --th)");
    Range r;
    r.turn = i == 2;
    std::string err;
    if (!parserange(a.ranges[i], r, err)) return usage(opt + " " + err);
    g.axes.push_back(r);
  }
  if (!a.from.empty()) {
    double v[3] = {0, 0, 0};
    std::string err;
    if (!numbers(a.from, v, err)) return usage("--from: " + err);
    g.from = true;
    g.start = Waypoint{v[0], v[1], v[2]};
  }
  return OK;
}

int cmdsweep(const Params& p, const cli::ParamOptions& po, const CLI::App& sw, const SweepArgs& a,
             const Map* map, const std::string& mapname, const std::string& out) {
  Grid g;
  g.base = p;
  g.map = map;
  g.mapname = mapname;
  if (const int st = sweepkind(sw, a, g); st != OK) return st;
  for (const std::string& s : a.sets) {
    Axis ax;
    std::string err;
    if (!axis(s, ax, err)) return usage(err);
    for (const Axis& other : g.sets)
      if (other.name == ax.name) return usage("--set " + ax.name + " is given twice");
    for (const std::string& given : po.params)
      if (given.rfind(ax.name + "=", 0) == 0)
        return usage("--set " + ax.name + " and --param " + given + " name the same parameter");
    g.sets.push_back(ax);
  }
  if (g.kind == Kind::Ptp && g.axes[2].wraps()) {
    const Range& th = g.axes[2];
    char note[160];
    std::snprintf(note, sizeof note,
                  "agvbatch: --th %s: %.15g and %.15g deg are one heading, computed once (as "
                  "%.15g)\n",
                  a.ranges[2].c_str(), th.a, th.at(th.count()), th.a);
    std::fputs(note, stderr);
  }
  double n = 1;
  for (const Range& r : g.axes) n *= static_cast<double>(r.count());
  for (const Axis& ax : g.sets) n *= static_cast<double>(ax.r.count());
  if (n > kPosesMax) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "the grid has %.0f %s; the limit is %.0f", n, g.unit(),
                  kPosesMax);
    return usage(buf);
  }
  SweepOptions o;
  o.jobs = a.jobs;
  o.out = out;
  o.progress = a.progress || (!a.quiet && isatty(2) == 1);
  o.sharded = !a.shard.empty();
  if (o.sharded) {
    const size_t slash = a.shard.find('/');
    if (slash == std::string::npos || !whole(a.shard.substr(0, slash), o.shard) ||
        !whole(a.shard.substr(slash + 1), o.shards) || o.shards < 1 || o.shards > kShardsMax ||
        o.shard < 0 || o.shard >= o.shards)
      return usage("--shard needs K/N, whole numbers with 0 <= K < N <= " +
                   std::to_string(kShardsMax));
  }
  return sweep(g, o);
}

}  // namespace

int run(const std::vector<std::string>& args) {
  CLI::App app{kAbout, "agvbatch"};
  app.require_subcommand(1);
  // The parameter options may follow the command too.
  app.fallthrough();
  cli::ParamOptions po;
  cli::addparamoptions(app, po);
  std::string out;

  CLI::App* ptp = app.add_subcommand("ptp", "one PTP pass to the end pose XF YF THF_DEG");
  std::vector<std::string> pose;
  ptp->add_option("pose", pose, "the end pose: XF [m], YF [m], THF [deg]")->required();
  std::vector<std::string> from;
  ptp->add_option("--from", from, "the start pose X0 [m] Y0 [m] TH0 [deg] (default 0 0 0)")
      ->expected(3)
      ->type_name("X0 Y0 TH0")
      ->allow_extra_args(false);
  ptp->add_option("--out", out, "folder of the files (made if missing; default .)");
  std::string mapname;
  const char* mapabout = "a map (YAML, as robot mapping tools write it): the first contacts of the "
                         "paths and the runs with it";
  ptp->add_option("--map", mapname, mapabout)->type_name("FILE.yaml");
  PictureArgs pics;
  addpictureoptions(*ptp, pics);

  CLI::App* cp = app.add_subcommand("cp", "one CP pass along curve I with its constants");
  std::vector<std::string> curve;
  cp->add_option("curve", curve, "the curve number I and its constants C1 [C2]")->required();
  cp->add_option("--out", out, "folder of the files (made if missing; default .)");
  cp->add_option("--map", mapname, mapabout)->type_name("FILE.yaml");
  addpictureoptions(*cp, pics);

  CLI::App* sw = app.add_subcommand(
      "sweep", "a PTP pass to every end pose of a grid, a route or a CP curve for every value of "
               "the parameters of --set (and of the curve's constants)");
  SweepArgs sa;
  sw->add_option("kind", sa.kind, "cp I: CP passes along curve I, its constants as axes (--A, --B)")
      ->type_name("cp I");
  sw->add_option("--x", sa.ranges[0], "end pose x [m]: A:B:STEP");
  sw->add_option("--y", sa.ranges[1], "end pose y [m]: A:B:STEP");
  sw->add_option("--th", sa.ranges[2], "end heading [deg]: A:B:STEP");
  sw->add_option("--from", sa.from, "the start pose of every pass X0 [m] Y0 [m] TH0 [deg] "
                                    "(default 0 0 0)")
      ->expected(3)
      ->type_name("X0 Y0 TH0")
      ->allow_extra_args(false);
  sw->add_option("--route", sa.route, "a route (as agvbatch route reads it), driven once for each set of parameters")
      ->type_name("FILE");
  sw->add_option("--A", sa.consts[0], "sweep cp: the curve's first constant C1: A:B:STEP");
  sw->add_option("--B", sa.consts[1], "sweep cp: the curve's second constant C2: A:B:STEP");
  sw->add_option("--set", sa.sets, "a vehicle parameter as an axis of the grid: NAME=A:B:STEP")
      ->type_name("NAME=A:B:STEP");
  sw->add_option("--jobs", sa.jobs, "threads (default 1)")->check(CLI::Range(1, 64));
  sw->add_option("--shard", sa.shard, "the K-th of N slices of the grid, K = 0 ... N-1")
      ->type_name("K/N");
  sw->add_flag("--progress", sa.progress, "a line of progress on stderr (the default on a terminal)");
  sw->add_flag("--quiet", sa.quiet, "no progress line");
  sw->add_option("--out", out, "the file (default sweep.csv)");
  sw->add_option("--map", mapname, mapabout)->type_name("FILE.yaml");

  CLI::App* rt = app.add_subcommand("route", "the passes of a route of waypoints, leg after leg");
  std::string routefile;
  rt->add_option("file", routefile, "the route: CSV, header x,y,th, a waypoint a line")->required();
  rt->add_option("--out", out, "folder of the files (made if missing; default .)");
  rt->add_option("--map", mapname, mapabout)->type_name("FILE.yaml");
  addpictureoptions(*rt, pics);

  CLI::App* tk = app.add_subcommand("track", "the CP pass along a track of points");
  std::string trackfile;
  tk->add_option("file", trackfile, "the track: CSV, header x,y or x,y,th, a point a line")
      ->required();
  tk->add_option("--out", out, "folder of the files (made if missing; default .)");
  tk->add_option("--map", mapname, mapabout)->type_name("FILE.yaml");
  addpictureoptions(*tk, pics);

  CLI::App* mg = app.add_subcommand("merge", "the slices of a sweep into the whole sweep");
  std::vector<std::string> slices;
  mg->add_option("files", slices, "the files of the slices")->required();
  mg->add_option("--out", out, "the file (default sweep.csv)");

  try {
    std::vector<std::string> rev(args.rbegin(), args.rend());
    app.parse(rev);
  } catch (const CLI::CallForHelp&) {
    // The help of the command asked about, or of the program.
    const CLI::App* sub = app.get_subcommands().empty() ? &app : app.get_subcommands().front();
    std::string help = sub->help();
    if (help.empty() || help.back() != '\n') help += '\n';
    std::fputs(help.c_str(), stdout);
    return OK;
  } catch (const CLI::ParseError& e) {
    if (app.get_subcommands().empty()) {
      if (!args.empty() && args[0].rfind("-", 0) != 0)
        return usage("unknown command " + args[0] +
                     " (the commands: ptp, cp, sweep, merge, route, track)");
      return usage("a command is needed: ptp, cp, sweep, merge, route or track");
    }
    return usage(e.what());
  }
  // An empty name (an unset shell variable) names no file, and never the default one.
  if (app.get_subcommands().front()->get_option("--out")->count() > 0 && out.empty())
    return usage("--out needs a name");
  Params p;
  std::string err;
  if (!cli::applyparams(po, p, err)) return failed(err);
  // A pass with pictures writes its CSV files only where --out names their folder.
  std::string dir = out.empty() ? "." : out;
  for (CLI::App* cmd : {ptp, cp, rt, tk}) {
    if (!cmd->parsed()) continue;
    if (const int st = checkpictures(*cmd, pics); st != OK) return st;
    if (pics.any() && out.empty()) dir.clear();
  }
  if (mg->parsed()) return merge(slices, out.empty() ? "sweep.csv" : out);
  if (sa.progress && sa.quiet) return usage("--progress and --quiet exclude each other");
  for (CLI::App* cmd : {ptp, cp, rt, tk, sw})
    if (cmd->parsed() && cmd->get_option("--map")->count() > 0 && mapname.empty())
      return usage("--map needs a name");
  int st = OK;
  const std::unique_ptr<World> world = loadworld(mapname, p, st);
  if (st != OK) return st;
  if (ptp->parsed()) return cmdptp(p, pose, from, world.get(), dir, pics);
  if (cp->parsed()) return cmdcp(p, curve, world.get(), dir, pics);
  if (rt->parsed()) return cmdroute(p, routefile, world.get(), dir, pics);
  if (tk->parsed()) return cmdtrack(p, trackfile, world.get(), dir, pics);
  return cmdsweep(p, po, *sw, sa, world ? &world->map : nullptr, mapname,
                  out.empty() ? "sweep.csv" : out);
}

}  // namespace agvbatch
