#include "session/session_log.h"

#include <gtest/gtest.h>

#include "fakes/temp_dir.h"

namespace {

TEST(SessionLogTest, AFullLogIsSetAsideAndAMissingFolderIsAFailure) {
  TempDir dir;
  const std::filesystem::path file = dir.Path() / kSessionLogName;
  EXPECT_TRUE(AppendBoundedLogLine(file, "first", 20));
  EXPECT_TRUE(AppendBoundedLogLine(file, "second", 20));
  EXPECT_EQ(ReadBytes(file.string()), "first\r\nsecond\r\n");
  EXPECT_TRUE(AppendBoundedLogLine(file, "third", 20));  // 15 + 7 bytes: over the limit
  EXPECT_EQ(ReadBytes(file.string() + ".old"), "first\r\nsecond\r\n");
  EXPECT_EQ(ReadBytes(file.string()), "third\r\n");
  EXPECT_TRUE(AppendBoundedLogLine(file, "fourth is long", 20));
  EXPECT_EQ(ReadBytes(file.string() + ".old"), "third\r\n");

  EXPECT_FALSE(AppendBoundedLogLine(dir.Path() / "missing" / kSessionLogName, "lost", 20));
}

}  // namespace
