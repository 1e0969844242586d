#include "session/window_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Inside(const Box& box, int width, int height) {
  return box.x >= 0 && box.y >= 0 && box.width > 0 && box.height > 0 && box.x + box.width <= width &&
         box.y + box.height <= height;
}

bool Overlap(const Box& a, const Box& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Every control inside the client area and none over another.
void ExpectLaidOut(const std::vector<Box>& boxes, int width, int height) {
  for (size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_TRUE(Inside(boxes[i], width, height)) << "control " << i;
    for (size_t j = i + 1; j < boxes.size(); ++j) EXPECT_FALSE(Overlap(boxes[i], boxes[j])) << i << " and " << j;
  }
}

TEST(WindowLayoutTest, ScalesTheLayoutAndTheFontsToTheMonitorsDpi) {
  const struct {
    int pixels, dpi, scaled;
  } scales[] = {{16, 96, 16}, {16, 144, 24}, {30, 120, 38}, {90, 192, 180}, {16, 0, 16}, {16, -5, 16}};
  for (const auto& row : scales) EXPECT_EQ(ScaledToDpi(row.pixels, row.dpi), row.scaled) << row.dpi;
  EXPECT_EQ(FontHeightAtDpi(-12, 96, 144), -18);
  EXPECT_EQ(FontHeightAtDpi(-18, 144, 96), -12);
  EXPECT_EQ(FontHeightAtDpi(-15, 120, 0), -12);
  EXPECT_EQ(NoticeSize(144), (Box{0, 0, 780, 345}));
  EXPECT_EQ(DialogGap(192), 16);
}

TEST(WindowLayoutTest, EveryControlFitsItsWindowAtEveryScale) {
  for (const int dpi : {96, 120, 144, 168, 192, 288}) {
    SCOPED_TRACE(dpi);
    // The client area: the outer size less a caption and borders of that scale.
    const Box notice = NoticeSize(dpi), dialog = DialogSize(dpi);
    const int frame = ScaledToDpi(8, dpi), caption = ScaledToDpi(31, dpi);
    const int noticeWidth = notice.width - frame, noticeHeight = notice.height - caption;
    const NoticeLayout n = LayOutNotice(dpi, noticeWidth, noticeHeight);
    ExpectLaidOut({n.text, n.moreTime, n.grace, n.ok}, noticeWidth, noticeHeight);
    const int dialogWidth = dialog.width - frame, dialogHeight = dialog.height - caption;
    const DialogLayout d = LayOutDialog(dpi, dialogWidth, dialogHeight);
    ExpectLaidOut({d.gives, d.prompt, d.code, d.answerIcon, d.answer, d.ask, d.close}, dialogWidth, dialogHeight);
  }
  // At 96 dots per inch the layout the tool has always had.
  const NoticeLayout n = LayOutNotice(96, 512, 199);
  EXPECT_EQ(n.text, (Box{16, 16, 480, 121}));
  EXPECT_EQ(n.ok, (Box{406, 153, 90, 30}));
  EXPECT_EQ(LayOutDialog(96, 432, 249).close, (Box{316, 203, 100, 30}));
}

}  // namespace
