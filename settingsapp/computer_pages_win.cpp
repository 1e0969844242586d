// The settings window's pages of this computer and of the parent's code: filled from the
// portable model (settingsapp/pc_settings.h, configuration/parent_code_setup.h), read back for
// Apply, and the parent's code set up or turned off at once.

#include <algorithm>

#include "configuration/parent_code_setup.h"
#include "parentcode/more_time_protocol.h"
#include "platform/wide_text_win.h"
#include "settingsapp/settings_controls_win.h"
#include "settingsapp/settings_window_win.h"

void SettingsWindow::FillPc() {
  try {
    std::unique_ptr<RegistryAccess> registry = openRegistry_();
    pcRead_ = ReadPc(*registry);
  } catch (const RegistryError& error) {
    SetStatus(std::string("The settings of this computer could not be read: ") + error.what());
  }
  const PcForm form = FormOfPc(pcRead_);
  SetText(zone_, form.timeZone);
  CheckRadioButton(window_, kSourceDefaultId, kSourceNoneId,
                   form.timeSource == TimeSource::kDefault     ? kSourceDefaultId
                   : form.timeSource == TimeSource::kAddresses ? kSourceAddressesId
                                                               : kSourceNoneId);
  SetText(addresses_, form.addresses);
  SendMessageW(countLocked_, BM_SETCHECK, form.countLocked ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(serviceLogoff_, BM_SETCHECK, form.serviceLogoff ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(endSessionLock_, BM_SETCHECK, form.endSessionLock ? BST_CHECKED : BST_UNCHECKED, 0);
  SetText(path_, form.path);
  SetText(debug_, form.debug);
  SetText(codeMinutes_, form.codeMinutes);
  EnablePcControls();
}

PcForm SettingsWindow::PcFormOfControls() const {
  PcForm form;
  form.timeZone = TextOf(zone_);
  form.timeSource = IsChecked(sourceAddresses_) ? TimeSource::kAddresses
                    : IsChecked(sourceNone_)    ? TimeSource::kNone
                                                : TimeSource::kDefault;
  form.addresses = TextOf(addresses_);
  form.countLocked = IsChecked(countLocked_);
  form.serviceLogoff = IsChecked(serviceLogoff_);
  form.endSessionLock = IsChecked(endSessionLock_);
  form.path = TextOf(path_);
  form.debug = TextOf(debug_);
  form.codeMinutes = TextOf(codeMinutes_);
  return form;
}

void SettingsWindow::EnablePcControls() { EnableWindow(addresses_, IsChecked(sourceAddresses_)); }

void SettingsWindow::ShowServiceState() {
  if (statusAsker_.joinable()) return;  // an answer is awaited
  SetText(serviceState_, "The service: asking it...");
  HWND window = window_;
  statusAsker_ = std::thread([this, window] {
    const RequestClient::Reply reply = service_.Ask(kStatusRequest);
    auto* text = new std::string(ServiceStateText(reply ? std::optional(reply.Value()) : std::nullopt,
                                                  reply ? std::string() : reply.Failure(), NotTheService(reply)));
    // The window closed meanwhile: nobody shows it.
    if (!PostMessageW(window, kServiceStateMessage, 0, reinterpret_cast<LPARAM>(text))) delete text;
  });
}

void SettingsWindow::ServiceStateAnswered(std::string* text) {
  SetText(serviceState_, *text);
  delete text;
  statusAsker_.join();
}

void SettingsWindow::ShowCodeState() {
  bool setUp = false;
  try {
    std::unique_ptr<RegistryAccess> registry = openRegistry_();
    setUp = ParentCodeIsSetUp(*registry);
  } catch (const RegistryError& error) {
    SetStatus(std::string("Whether a parent's code is set up could not be read: ") + error.what());
  }
  SetText(codeState_, setUp ? "A parent's code is set up: a child types the six digits your phone's authenticator app "
                              "shows in \"Ask for more time...\" of the Hourwarden icon."
                            : "No parent's code is set up: set one up to give more time from your phone.");
  EnableWindow(codeOff_, setUp);
}

void SettingsWindow::ShowAccountCode() {
  filling_ = true;
  AccountEdit* edit = selected_ >= 0 ? &EditOf(selected_) : nullptr;
  const bool limited = edit != nullptr && edit->restricted;
  SetText(accountCodeMinutes_, limited ? edit->codeMinutes : "");
  SetText(accountCodeMax_, limited ? edit->codeMaxMinutes : "");
  EnableWindow(accountCodeMinutes_, limited);
  EnableWindow(accountCodeMax_, limited);
  filling_ = false;
}

void SettingsWindow::AccountCodeChanged() {
  if (filling_ || selected_ < 0) return;
  AccountEdit& edit = EditOf(selected_);
  edit.codeMinutes = TextOf(accountCodeMinutes_);
  edit.codeMaxMinutes = TextOf(accountCodeMax_);
}

void SettingsWindow::SetUpCode() {
  std::unique_ptr<RegistryAccess> registry = openRegistry_();
  if (ParentCodeIsSetUp(*registry) &&
      MessageBoxW(window_, L"A new code replaces the one your phone has, which then no longer works. Set up a new one?",
                  kTitle, MB_YESNO | MB_ICONWARNING) != IDYES)
    return;
  const Checked<ParentCodeSetup> setup =
      SetUpParentCode(*registry, codeMaking_.random, codeMaking_.security, codeMaking_.computerName);
  if (!setup.value) {
    SetStatus("No code was set up: " + setup.refusal + ".");
    MessageBoxW(window_, WideFromUtf8("No code was set up: " + setup.refusal + ".").c_str(), kTitle, MB_OK | MB_ICONERROR);
    return;
  }
  qrCode_ = EncodeQrCode(setup.value->address);
  std::string grouped;
  for (size_t i = 0; i < setup.value->base32.size(); i += 4) {
    if (i > 0) grouped += ' ';
    grouped.append(setup.value->base32, i, 4);
  }
  SetText(codeKey_, "Scan this QR code with an authenticator app on your phone, or type this key in it as a time-based "
                    "key:\r\n\r\n" + grouped + "\r\n\r\nKeep it secret: whoever has it can make codes. This window "
                    "shows it only now.");
  InvalidateRect(qr_, nullptr, TRUE);
  SetStatus(setup.value->replaced ? "A new parent's code replaces the old one, which no longer works."
                                  : "The parent's code is set up.");
  ShowCodeState();
}

void SettingsWindow::TurnCodeOff() {
  if (MessageBoxW(window_, L"Turn the parent's code off? No code from your phone is accepted any more.", kTitle,
                  MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  std::unique_ptr<RegistryAccess> registry = openRegistry_();
  const std::optional<std::string> failure = TurnParentCodeOff(*registry);
  SetStatus(failure ? "The code is still on: " + *failure + "." : "The parent's code is off: no code is accepted any more.");
  if (!failure) {
    qrCode_.reset();
    SetText(codeKey_, "");
    InvalidateRect(qr_, nullptr, TRUE);
  }
  ShowCodeState();
}

void SettingsWindow::DrawQrCode(const DRAWITEMSTRUCT& item) const {
  const RECT& area = item.rcItem;
  FillRect(item.hDC, &area, static_cast<HBRUSH>(GetStockObject(qrCode_ ? WHITE_BRUSH : LTGRAY_BRUSH)));
  if (!qrCode_) return;
  // Four light modules of quiet zone on each side, as the readers expect.
  const int modules = qrCode_->Size() + 8;
  const int module = std::max(1, static_cast<int>(std::min(area.right - area.left, area.bottom - area.top)) / modules);
  const HBRUSH dark = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  for (int row = 0; row < qrCode_->Size(); ++row)
    for (int column = 0; column < qrCode_->Size(); ++column) {
      if (!qrCode_->IsDark(row, column)) continue;
      const RECT cell{area.left + (column + 4) * module, area.top + (row + 4) * module, area.left + (column + 5) * module,
                      area.top + (row + 5) * module};
      FillRect(item.hDC, &cell, dark);
    }
}
