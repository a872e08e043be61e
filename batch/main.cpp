// agvbatch: the simulator's computations without the window (agvbatch --help).
#include <string>
#include <vector>

#include "batch/batch.h"

int main(int argc, char** argv) {
  return agvbatch::run(std::vector<std::string>(argv + 1, argv + argc));
}
