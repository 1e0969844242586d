#pragma once

#include "base/screen_scale.h"

// Where the controls of the session tool's windows go, at the dots per inch of the monitor a
// window is on: the layout is drawn for 96 dots per inch and scaled, so that it keeps its
// proportions at 150 % and when the window moves to a monitor of another scale.

// The outer size of the notice and of the dialog at dpi.
Box NoticeSize(int dpi);
Box DialogSize(int dpi);
// The gap between the countdown and the dialog placed below it.
int DialogGap(int dpi);

// The notice: its text, and the row of buttons along the bottom ("Ask for more time..." and "I
// need to save my work" from the left, OK on the right).
struct NoticeLayout {
  Box text;
  Box moreTime;
  Box grace;
  Box ok;
};
NoticeLayout LayOutNotice(int dpi, int clientWidth, int clientHeight);

// The dialog "Ask for more time": what a code gives, the prompt, the box for the code, the
// answer's icon and text, and the buttons Ask and Close at the bottom right.
struct DialogLayout {
  Box gives;
  Box prompt;
  Box code;
  Box answerIcon;
  Box answer;
  Box ask;
  Box close;
};
DialogLayout LayOutDialog(int dpi, int clientWidth, int clientHeight);
