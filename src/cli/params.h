// The vehicle parameters of a program's command line: --param NAME=VALUE
// (repeatable) and --params FILE (a TOML file of NAME = VALUE lines).
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "agv/params.h"
#include "cli/paramarg.h"

namespace agv::cli {

// The options as given.
struct ParamOptions {
  std::string file;                 // --params
  std::vector<std::string> params;  // --param, in order
  std::vector<std::string> offset;  // --offset DX DY DTH: offsetX, offsetY, offsetTh, last
};

// Adds --param, --params and --offset to a command-line parser.
void addparamoptions(CLI::App& app, ParamOptions& o);

// agvsim's options: its parameters, the language of its console, "ja" or
// "en" (--lang, or AGVSIM_LANG where --lang is not given), and a route or a
// track.  A route file (--route) or a track file (--track) has the window
// show that route or track in place of the first dialogue pass.
struct SimOptions {
  ParamOptions params;
  std::string lang = "ja";
  std::string route;
  std::string track;
  std::string map;  // --map: a map file (YAML) every pass is checked against
};

// agvsim's command line (without the program name) into o.  False when the
// program is to end at once: after its help (status 0) or a message (status
// 2); `text` is what to print, on standard output for status 0, standard
// error otherwise.
bool simoptions(const std::vector<std::string>& args, SimOptions& o, std::string& text,
                int& status);

// The parameters of the options: the defaults, changed by the file, then
// by each --param in order, then by --offset.  False with one English line in err when a
// name is unknown, a value out of its range, or the file unreadable.
bool applyparams(const ParamOptions& o, Params& p, std::string& err);

// The text of a parameter file (TOML; `name` names it in messages) into p.
bool parseparams(std::string_view text, const std::string& name, Params& p, std::string& err);

}  // namespace agv::cli
