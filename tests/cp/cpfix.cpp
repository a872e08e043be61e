#include "cpfix.h"

#include "control/dialogue.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "support/session.h"

namespace cptest {

namespace {

double* const kConsts[23] = {&agv::A1,   &agv::L1,   &agv::A2,   &agv::L2,   &agv::A3,   &agv::L3,
                             &agv::A4,   &agv::L4,   &agv::A11,  &agv::B11,  &agv::A12,  &agv::nt12,
                             &agv::A13,  &agv::B13,  &agv::A14,  &agv::nr14, &agv::R16,  &agv::A16,
                             &agv::nw16, &agv::AA11, &agv::BB11, &agv::AB11, &agv::dAB11};

}  // namespace

void CpTest::SetUp() {
  for (int i = 0; i < 23; ++i) saved_[i] = *kConsts[i];
  agv::dSteerMax = agv::steerRate * agv::dtCP;
  for (int I : kCurves) agv::curvsetup(I);
}

void CpTest::TearDown() {
  for (int i = 0; i < 23; ++i) *kConsts[i] = saved_[i];
  for (int I : kCurves) agv::curvsetup(I);
}

bool prepare(int I) {
  agv::curvsetup(I);
  int ok = 0;
  agvtest::scripted("", [&] { ok = agv::chklen(I); });
  if (!ok) return false;
  agv::caltab(I);
  return true;
}

}  // namespace cptest
