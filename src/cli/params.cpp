#include "cli/params.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#define TOML_HEADER_ONLY 1
#include <toml++/toml.h>

namespace agv::cli {

namespace {

// Largest parameter file read [bytes]: far beyond any list of parameters.
constexpr size_t kFileMax = 1 << 20;

// The value of `name` into p, or the reason in err.
bool assign(Params& p, std::string_view name, double v, std::string& err) {
  if (setparam(p, name, v) == ParamCheck::Ok) return true;
  err = paramerror(name, v);
  return false;
}

// A file's bytes, at most kFileMax; false with the reason in err.
bool readfile(const std::string& path, std::string& text, std::string& err) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    err = path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) != 0 || (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode))) {
    close(fd);
    err = path + ": not a file";
    return false;
  }
  text.clear();
  char buf[4096];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      err = path + ": " + std::strerror(errno);
      close(fd);
      return false;
    }
    if (n == 0) break;
    text.append(buf, static_cast<size_t>(n));
    if (text.size() > kFileMax) {
      close(fd);
      err = path + ": larger than a parameter file can be (" + std::to_string(kFileMax) + " bytes)";
      return false;
    }
  }
  close(fd);
  return true;
}

// The line of the first byte outside ASCII that is not in a comment, or 0.  The TOML parser
// takes some such characters for possible whitespace and then reaches a point it holds
// unreachable (undefined behaviour); no parameter needs one, as names and numbers are
// ASCII.  Strings are followed so that a '#' inside one starts no comment; where this scan
// and the parser could part, the parser stops at an error first.
int nonasciiline(std::string_view text) {
  enum class In { Code, Comment, Basic, Literal, MultiBasic, MultiLiteral };
  In in = In::Code;
  int line = 1;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto at = [&](std::string_view s) { return text.substr(i, s.size()) == s; };
    if (c == '\n') {
      ++line;
      if (in == In::Comment || in == In::Basic || in == In::Literal) in = In::Code;
    } else if (static_cast<unsigned char>(c) >= 0x80) {
      if (in != In::Comment) return line;
    } else if (in == In::Code) {
      if (c == '#') {
        in = In::Comment;
      } else if (at("\"\"\"") || at("'''")) {
        in = c == '"' ? In::MultiBasic : In::MultiLiteral;
        i += 2;
      } else if (c == '"' || c == '\'') {
        in = c == '"' ? In::Basic : In::Literal;
      }
    } else if ((in == In::Basic || in == In::MultiBasic) && c == '\\') {
      if (at("\\\\") || at("\\\"")) ++i;  // an escaped backslash or quote
    } else if ((in == In::Basic && c == '"') || (in == In::Literal && c == '\'')) {
      in = In::Code;
    } else if ((in == In::MultiBasic && at("\"\"\"")) || (in == In::MultiLiteral && at("'''"))) {
      in = In::Code;
      i += 2;
    }
  }
  return 0;
}

// True for a parameter that is a switch: a whole number 0 or 1.
bool switchparam(std::string_view name) {
  for (int i = 0; i < nParams; ++i) {
    const ParamInfo p = paraminfo(i);
    if (name == p.name) return p.whole && p.lo == 0.0 && p.hi == 1.0;
  }
  return false;
}

}  // namespace

void addparamoptions(CLI::App& app, ParamOptions& o) {
  std::string names;
  for (int i = 0; i < nParams; ++i) names += std::string(i ? ", " : "") + paraminfo(i).name;
  app.add_option("--param", o.params,
                 "a vehicle parameter NAME=VALUE (repeatable); the names: " + names)
      ->type_name("NAME=VALUE");
  app.add_option("--params", o.file, "a file of NAME = VALUE lines (TOML, # comments)")
      ->type_name("FILE");
  app.add_option("--offset", o.offset,
                 "the tracked AGV's start off the path's start, in its frame: ahead [m], to the "
                 "left [m], turned [deg] (offsetX, offsetY, offsetTh)")
      ->expected(3)
      ->type_name("DX DY DTH");
}

bool simoptions(const std::vector<std::string>& args, SimOptions& o, std::string& text,
                int& status) {
  CLI::App app{
      "agvsim: path generation and path following of wheeled mobile robots.\n"
      "The dialogue runs on the console (Japanese, or English with --lang en), the picture in\n"
      "a window.  Without options the vehicle is the simulator's own: Vmax 1 m/s, steerRate\n"
      "2 rad/s, Ra 1 m, Lw 1 m, dt and dtCP 0.02 s, maxSteps 3000, threeArcs 0.",
      "agvsim"};
  addparamoptions(app, o.params);
  if (const char* env = std::getenv("AGVSIM_LANG"); env != nullptr && *env != '\0') o.lang = env;
  app.add_option("--lang", o.lang,
                 "the language of the console: ja (Japanese, the default) or en (English); "
                 "AGVSIM_LANG=en does the same")
      ->type_name("ja|en");
  app.add_option("--route", o.route,
                 "a route file (CSV: a header x,y,th, then one waypoint x [m], y [m], th [deg] "
                 "a line): the window shows that route first; p and c lead to the dialogue")
      ->type_name("FILE");
  app.add_option("--track", o.track,
                 "a track file (CSV: a header x,y or x,y,th, then one point x [m], y [m] a line, "
                 "th [deg] at the first and last only): the window shows the spline through "
                 "the points run as a CP curve first; p and c lead to the dialogue")
      ->type_name("FILE");
  app.add_option("--map", o.map,
                 "a map (YAML, as robot mapping tools write it): the picture shows it, and every "
                 "pass reports where its paths and runs first touch it")
      ->type_name("FILE.yaml");
  try {
    std::vector<std::string> rev(args.rbegin(), args.rend());
    app.parse(rev);
  } catch (const CLI::CallForHelp&) {
    text = app.help();
    status = 0;
    return false;
  } catch (const CLI::ParseError& e) {
    text = std::string("agvsim: ") + e.what() + " (agvsim --help lists the options)\n";
    status = 2;
    return false;
  }
  if (!o.route.empty() && !o.track.empty()) {
    text = "agvsim: --route and --track exclude each other: the window shows one of them\n";
    status = 2;
    return false;
  }
  if (o.lang != "ja" && o.lang != "en") {
    text = "agvsim: the language of the console is ja or en, not " + o.lang +
           " (--lang or AGVSIM_LANG)\n";
    status = 2;
    return false;
  }
  return true;
}

bool parseparams(std::string_view text, const std::string& name, Params& p, std::string& err) {
  if (const int line = nonasciiline(text)) {
    err = name + ":" + std::to_string(line) + ": only ASCII characters may stand outside comments";
    return false;
  }
  toml::table t;
  try {
    t = toml::parse(text, name);
  } catch (const toml::parse_error& e) {
    err = name + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description());
    return false;
  }
  for (const auto& [key, node] : t) {
    const std::string where = name + ":" + std::to_string(node.source().begin.line) + ": ";
    double v = NAN;
    if (const auto* i = node.as_integer()) {
      v = static_cast<double>(i->get());
    } else if (const auto* f = node.as_floating_point()) {
      v = f->get();
    } else if (const auto* b = node.as_boolean(); b != nullptr && switchparam(key.str())) {
      v = b->get() ? 1.0 : 0.0;  // a switch (0 or 1) may be written false or true
    } else if (const auto* n = node.as_string(); n != nullptr && !std::isnan(paramvalue(key.str(), n->get()))) {
      v = paramvalue(key.str(), n->get());  // a value by its name: controller = "stanley"
    } else {
      err = where + std::string(key.str()) + " needs a number";
      return false;
    }
    if (!assign(p, key.str(), v, err)) {
      err = where + err;
      return false;
    }
  }
  return true;
}

bool applyparams(const ParamOptions& o, Params& p, std::string& err) {
  if (!o.file.empty()) {
    std::string text;
    if (!readfile(o.file, text, err) || !parseparams(text, o.file, p, err)) return false;
  }
  for (const std::string& a : o.params)
    if (!setparamarg(p, a, err)) return false;
  const char* names[3] = {"offsetX", "offsetY", "offsetTh"};
  for (size_t i = 0; i < o.offset.size() && i < 3; ++i) {
    char* end = nullptr;
    const double v = std::strtod(o.offset[i].c_str(), &end);
    if (o.offset[i].empty() || *end != '\0') {
      err = "--offset: not a number: " + o.offset[i];
      return false;
    }
    if (!assign(p, names[i], v, err)) {
      err = "--offset: " + err;
      return false;
    }
  }
  return true;
}

}  // namespace agv::cli
