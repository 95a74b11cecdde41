#include <gtest/gtest.h>
// Cases to come.
