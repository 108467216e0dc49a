// One QApplication for a test program, made before the first test and
// destroyed after the last one (not at exit, when the libraries' own
// statics are already gone).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace kelmo::test {

class QtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "kelmo_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

// Registered once per program; googletest owns the environment.
inline ::testing::Environment* const kQtApplication =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace kelmo::test
