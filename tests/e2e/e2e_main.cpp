#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
  // The back end the tests serve in-process needs an event loop.
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
