#include <gtest/gtest.h>
#include "options.h"
TEST(Placeholder, Builds) { EXPECT_EQ(robocopy::kExitFatal, 16); }
