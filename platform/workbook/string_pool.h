// The texts of a workbook's cells, each distinct text stored once; cells refer
// to them by index. Indexes stay valid for the workbook's life.
// Cost: Intern is one hash look-up; memory is one copy of each distinct text.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kelmo::workbook {

class StringPool {
 public:
  uint32_t Intern(std::string_view text) {
    if (const auto it = index_.find(text); it != index_.end()) return it->second;
    const auto id = static_cast<uint32_t>(texts_.size());
    texts_.emplace_back(text);
    index_.emplace(texts_.back(), id);
    return id;
  }
  const std::string& At(uint32_t id) const { return texts_.at(id); }
  size_t Size() const { return texts_.size(); }

 private:
  std::deque<std::string> texts_;  // a deque keeps the texts where the index points
  std::unordered_map<std::string_view, uint32_t> index_;
};

}  // namespace kelmo::workbook
