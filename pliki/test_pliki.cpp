#include <gtest/gtest.h>
TEST(Pliki, Placeholder) {}
