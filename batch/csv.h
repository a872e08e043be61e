// The CSV fields of agvbatch's files.
#pragma once

#include <string>
#include <vector>

#include "agv/agv.h"

namespace agvbatch {

// A number that reads back to the same double, and a whole number, each after a comma
// (num alone: without).
void num(std::string& s, double v);
void field(std::string& s, double v);
void field(std::string& s, long v);

// Column names of a record with a prefix (and the curve parameter when u), and a record's
// fields after its time.
void fields(std::string& h, const char* prefix, bool u);
void row(std::string& s, const agv::Record& r);

// A summary's columns: the header (their titles, comma-separated) and a row of their values
// (whole numbers as such, an empty field where the value is NaN), each without a line end.
struct SummaryColumns {
  SummaryColumns(agv::Table t, const agv::Features& f) : cols(agv::columns(t, f)) {}
  std::vector<agv::Column> cols;
  std::string header() const;
  void row(std::string& s, const std::vector<double>& values) const;
};

}  // namespace agvbatch
