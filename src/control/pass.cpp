#include "control/pass.h"

#include "control/base/console.h"
#include "control/base/params.h"
#include "cp/arclen.h"
#include "cp/curves.h"
#include "cp/track.h"
#include "motion/runs.h"
#include "motion/shown.h"
#include "motion/varruns.h"
#include "ptp/clpath.h"
#include "ptp/planner.h"
#include "ptp/schedule.h"
#include "ptp/steps.h"

namespace agv {

namespace {

void progress() { con::out("\n\n　　　只今計算中．．．．．．．\n"); }

}  // namespace

int planPTP(Pose& P0, Pose& PF) {
  if (calPTP(P0, PF) == 0) return 0;
  // The clothoid-line path and the schedules print the message too.
  if (calclothoid() == 0 || calvelPTP() == 0) {
    con::out("%s", msgTooLong);
    return 0;
  }
  return 1;
}

void setsteer(char kind) { dSteerMax = kind == 'p' ? steerRate * dt : steerRate * dtCP; }

PassResult passPTP() {
  setsteer('p');
  Pose P0{x0, y0, th0, 0.0};
  Pose PF{xf, yf, thf, 0.0};
  if (planPTP(P0, PF) == 0) return {PassStatus::PathTooLong, 0};
  progress();
  int n = caltrajPTP();
  if (n < MAX) n = caltrajVV();
  if (n >= MAX) return {PassStatus::RunTooLong, n};
  extentsPTP();
  return {PassStatus::Done, 0};
}

PassResult passCP(int I) {
  setsteer('c');
  // A parameter range beyond the arc-length table is refused first: the
  // length of such a curve would take long to integrate for nothing.
  if (chkrange(I) == 0) return {PassStatus::RangeTooLong, 0};
  if (chklen(I) == 0) return {PassStatus::CurveTooLong, 0};
  progress();
  caltab(I);
  if (calpath(I) >= MAX || caltraj(I) >= MAX) return {PassStatus::CurveSteps, 0};
  extentsCP();
  return {PassStatus::Done, 0};
}

}  // namespace agv
