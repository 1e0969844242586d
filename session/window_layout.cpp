#include "session/window_layout.h"

namespace {

// The layout at 96 dots per inch.
constexpr int kNoticeWidth = 520;
constexpr int kNoticeHeight = 230;
constexpr int kDialogWidth = 440;
constexpr int kDialogHeight = 280;
constexpr int kMargin = 16;
constexpr int kButtonWidth = 90;
constexpr int kWideButtonWidth = 180;
constexpr int kDialogButtonWidth = 100;
constexpr int kButtonHeight = 30;
constexpr int kLineHeight = 24;
constexpr int kIconSize = 32;
constexpr int kCodeWidth = 120;
constexpr int kCodeBorder = 4;

}  // namespace

Box NoticeSize(int dpi) { return {0, 0, ScaledToDpi(kNoticeWidth, dpi), ScaledToDpi(kNoticeHeight, dpi)}; }

Box DialogSize(int dpi) { return {0, 0, ScaledToDpi(kDialogWidth, dpi), ScaledToDpi(kDialogHeight, dpi)}; }

int DialogGap(int dpi) { return ScaledToDpi(kMargin / 2, dpi); }

NoticeLayout LayOutNotice(int dpi, int clientWidth, int clientHeight) {
  const int margin = ScaledToDpi(kMargin, dpi);
  const int buttonHeight = ScaledToDpi(kButtonHeight, dpi);
  const int wide = ScaledToDpi(kWideButtonWidth, dpi);
  const int okWidth = ScaledToDpi(kButtonWidth, dpi);
  const int buttonsTop = clientHeight - margin - buttonHeight;
  NoticeLayout layout;
  layout.text = {margin, margin, clientWidth - 2 * margin, buttonsTop - 2 * margin};
  layout.moreTime = {margin, buttonsTop, wide, buttonHeight};
  layout.grace = {2 * margin + wide, buttonsTop, wide, buttonHeight};
  layout.ok = {clientWidth - margin - okWidth, buttonsTop, okWidth, buttonHeight};
  return layout;
}

DialogLayout LayOutDialog(int dpi, int clientWidth, int clientHeight) {
  const int margin = ScaledToDpi(kMargin, dpi);
  const int line = ScaledToDpi(kLineHeight, dpi);
  const int inner = clientWidth - 2 * margin;
  const int icon = ScaledToDpi(kIconSize, dpi);
  const int buttonWidth = ScaledToDpi(kDialogButtonWidth, dpi);
  const int buttonHeight = ScaledToDpi(kButtonHeight, dpi);
  const int buttonsTop = clientHeight - margin - buttonHeight;
  DialogLayout layout;
  int y = margin;
  layout.gives = {margin, y, inner, line};
  y += line + margin / 4;
  layout.prompt = {margin, y, inner, 2 * line};
  y += 2 * line + margin / 4;
  layout.code = {margin, y, ScaledToDpi(kCodeWidth, dpi), line + ScaledToDpi(kCodeBorder, dpi)};
  y += line + margin;
  layout.answerIcon = {margin, y, icon, icon};
  layout.answer = {2 * margin + icon, y, inner - icon - margin, 2 * line};
  layout.ask = {clientWidth - 2 * (buttonWidth + margin), buttonsTop, buttonWidth, buttonHeight};
  layout.close = {clientWidth - buttonWidth - margin, buttonsTop, buttonWidth, buttonHeight};
  return layout;
}
