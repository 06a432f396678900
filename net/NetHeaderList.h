#pragma once

#include <string>
#include <vector>

namespace zerka {

// Header lines in arrival order, each "Name: value". Names are looked up ignoring letter
// case; a line that begins with a blank or a tab continues the value of the line before it.
class TNetHeaderList {
 public:
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::vector<std::string>& Lines() const { return lines_; }

  // Index of the first line carrying name, -1 when there is none.
  int IndexOfName(const std::string& name) const;
  // The value of the first line carrying name, continuation lines joined; empty when absent.
  std::string Values(const std::string& name) const;
  // Removes the first line carrying name together with its continuation lines.
  void Remove(const std::string& name);

 private:
  std::size_t ContinuationEnd(std::size_t index) const;

  std::vector<std::string> lines_;
};

// Equality of two texts ignoring ASCII letter case.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

}  // namespace zerka
