// Test support: folders and files of the tests.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace agvtest {

// A fresh, empty folder for one test.
inline std::string scratch(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path p =
      fs::temp_directory_path() / ("agvtest_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p.string();
}

// The bytes of a file.
inline std::string slurp(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace agvtest
