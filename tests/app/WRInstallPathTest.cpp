#include "app/WRInstallPath.h"

#include <gtest/gtest.h>

TEST(WRInstallPath, RefusesAFolderTooLongForThePathStrings) {
  std::string message;
  EXPECT_TRUE(WRInstallPath::Check(std::string(WRInstallPath::kMaxFolderLength, 'a'), message));
  EXPECT_TRUE(message.empty());
  EXPECT_FALSE(WRInstallPath::Check(std::string(WRInstallPath::kMaxFolderLength + 1, 'a'), message));
  EXPECT_NE(message.find("shorter path"), std::string::npos);
}
