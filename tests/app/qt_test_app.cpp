// Creates the application object before the first test and keeps it for all of them.

#include <gtest/gtest.h>

#include <memory>

#include "app/tarvex_application.h"

namespace {

class ApplicationEnvironment : public testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<tarvex::TarvexApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "tests_app";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<tarvex::TarvexApplication> app_;
};

[[maybe_unused]] testing::Environment* const kEnvironment =
    testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace
