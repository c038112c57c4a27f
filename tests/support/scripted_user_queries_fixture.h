#pragma once

#include <gtest/gtest.h>

#include <string>

#include "scripted_user_queries.h"

namespace trv::test {

// A GoogleTest fixture whose user queries are scripted: the test fails at its end when a message
// came unexpected or a scripted answer was left over. Base is ::testing::Test or a
// ::testing::TestWithParam<...>.
template <typename Base = ::testing::Test>
class WithScriptedUserQueries : public Base {
 protected:
  void TearDown() override {
    for (const std::string& failure : FQueries.Failures()) ADD_FAILURE() << failure;
    Base::TearDown();
  }

  ScriptedUserQueries FQueries;
};

}  // namespace trv::test
