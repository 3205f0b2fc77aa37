#include "isolated_environment.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    const tarnwick::testing::IsolatedEnvironment environment;
    return RUN_ALL_TESTS();
}
