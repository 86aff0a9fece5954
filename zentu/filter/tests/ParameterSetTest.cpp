#include <gtest/gtest.h>
#include "ParameterSet.h"
TEST(Smoke, Nothing) {}
