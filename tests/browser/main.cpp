// Runs the real-widget and real-Chromium tests inside one QApplication.
#include <QApplication>
#include <gtest/gtest.h>

#include "platform/qt/chromium_setup.h"

int main(int argc, char* argv[]) {
  ::testing::InitGoogleTest(&argc, argv);
  platform::qt::PrepareChromium();
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
