// Step division and clothoid fitting.
#pragma once

namespace agv {

// Divides T into n equal steps of about D.
void calstep(double T, double D, double& step, int& n);

double intcos2(double u);  // integral of cos(t^2) from 0 to u
double intsin2(double u);  // integral of sin(t^2) from 0 to u

double kpair(double K, double Th, double phi);
double clresid(double Th, double phi, double& kap);
int clsolve(double Th, double& phi, double& kap);

}  // namespace agv
