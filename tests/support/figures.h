// Figures that a game run reports as text: "key value" lines written by a
// test's script, or "key=value" pairs of a summary line. Words that are not
// followed by a number are skipped.
#pragma once
#include <map>
#include <sstream>
#include <string>

namespace rktest {

inline std::map<std::string, double> parseFigures(const std::string& text) {
  std::map<std::string, double> figures;
  std::string clean = text;
  for (char& c : clean)
    if (c == '=') c = ' ';
  std::istringstream in(clean);
  std::string key;
  while (in >> key) {
    double value = 0.0;
    if (in >> value) figures[key] = value;
    else in.clear();
  }
  return figures;
}

}  // namespace rktest
