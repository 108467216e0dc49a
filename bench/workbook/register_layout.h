// The treated-patient register that the workbook benchmark writes: a six-row
// block A8:S13 per treatment sheet, framed in thin lines (outer edges and
// inner verticals) in an 8-point font, C8:C9 merged, and the texts of one
// sheet's rows. The layer and the peer writer both write exactly these.
#pragma once

#include <string>
#include <vector>

namespace kelmo::bench {

constexpr int kFirstBlockRow = 8;
constexpr int kBlockRows = 6;
constexpr int kBlockColumns = 19;

struct RegisterCell {
  int rowOffset;  // 0..5 within the block
  int column;     // 1-based
  std::string text;
};

// The texts of treatment sheet i, by their place in its block.
inline std::vector<RegisterCell> RegisterTexts(int i) {
  std::vector<RegisterCell> cells = {
      {0, 1, "СЕР" + std::to_string(i % 97)},
      {0, 2, std::to_string(100000 + i)},
      {0, 3, "Иванов" + std::to_string(i) + " И.И."},
      {0, 4, "01.02.1960"},
      {0, 14, std::to_string(12345 + i % 1000) + ".5"},
      {1, 1, "ЕНП:" + std::to_string(7000000000000000LL + i)},
      {1, 5, "I20.0"},
      {1, 6, "1100" + std::to_string(i % 50)},
  };
  for (int c = 7; c <= 11; ++c) cells.push_back({1, c, std::to_string((i + c) % 20)});
  for (RegisterCell cell : std::vector<RegisterCell>{{1, 12, "Кардиоло"},
                                                     {1, 13, "Выписан"},
                                                     {1, 14, "12000.5"},
                                                     {1, 15, "11000"},
                                                     {1, 16, "1000.5"},
                                                     {2, 1, "4509"},
                                                     {2, 14, "345.5"},
                                                     {3, 1, std::to_string(600000 + i)},
                                                     {3, 5, "E11.9"},
                                                     {3, 6, "1200(12)"},
                                                     {3, 14, "0"}})
    cells.push_back(std::move(cell));
  return cells;
}

inline const char* const kRegisterTitle = "Реестр пролеченных больных";
inline const char* const kRegisterPeriodTitle =
    "Реестр пролеченных больных с 01.03.2013 по 31.03.2013";

}  // namespace kelmo::bench
