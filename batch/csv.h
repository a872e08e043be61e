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

// The largest position error of a run, and its final position and heading error.
void errors(std::string& s, const agv::RunSummary& r);

// The summary columns of a PTP pass, and their header: the adopted row, the segments (with
// `reverse`, five: their curvature and driving directions and lengths, and the cusps), then
// per path and mechanism the steps and durations and the largest and final position error
// of the constant-velocity run (those alone: runsheader and runsfields); with `tracked`, then
// per path and mechanism the tracked run's columns.
std::string ptpheader(bool tracked = false, bool reverse = false);
std::string ptpsummary(const agv::PtpResult& r, bool tracked = false);
std::string ptpsummary(const agv::ArcPath& a, const agv::PtpSummary& sum, bool tracked = false,
                       bool reverse = false);
std::string runsheader(bool tracked = false);
void runsfields(std::string& s, const agv::PtpSummary& sum, bool tracked = false);

// The tracked run's columns of a summary after a prefix ("arc1_", "cp2_"), and their fields
// (empty where it did not run).
void trackheader(std::string& h, const std::string& prefix);
void trackfields(std::string& s, const agv::RunSummary& r);

}  // namespace agvbatch
