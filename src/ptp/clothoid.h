// Step division and clothoid fitting.
#pragma once

namespace agv {

// Divides T into n equal steps of about D.
void calstep(double T, double D, double& step, int& n);

double intcos2(double u);  // integral of cos(t^2) from 0 to u
double intsin2(double u);  // integral of sin(t^2) from 0 to u

// Curvature of the middle of a clothoid pair turning Th around an arc of
// curvature K, each clothoid turning phi.
double kpair(double K, double Th, double phi);
// Residual of the fit of a clothoid-arc-clothoid curve turning Th in the
// place of an arc of curvature Karc, each clothoid turning phi with the
// curvature change dKds per metre; kap gets the curvature of its middle.
double clresid(double Th, double phi, double Karc, double dKds, double& kap);
// The fit: phi and kap of the root of clresid; 1 when found, 0 when the
// pure clothoid pair is taken instead.
int clsolve(double Th, double Karc, double dKds, double& phi, double& kap);

}  // namespace agv
