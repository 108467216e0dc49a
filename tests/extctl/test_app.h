// One QApplication for a test program (gtest_main owns main()): made before
// the first test and destroyed after the last, while Qt's own globals live.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

class QtAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char arg0_[12] = "extctl_test";
  char* argv_[2] = {arg0_, nullptr};
  std::unique_ptr<QApplication> app_;
};

// gtest owns the environment it is given.
inline ::testing::Environment* const kQtAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

inline void TestApp() {}
