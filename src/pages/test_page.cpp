// The Test page (see test_page.h).
#include "pages/test_page.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "base/message_box.h"
#include "pages/page_binder.h"
#include "params/normalize.h"

namespace zeda {

namespace {

constexpr int kCopies = static_cast<int>(std::size(kLoadBinItems));

bool IsTestButton(std::string_view control) {
  return std::find(std::begin(kTestButtonNames), std::end(kTestButtonNames), control) !=
         std::end(kTestButtonNames);
}

// The offset EditLoadBin holds ("0x..." or plain hexadecimal); -1 when it is not one.
long ParseAddress(const std::string& text) {
  if (text.empty()) return -1;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 16);
  if (end == text.c_str() || *end != '\0' || value < 0) return -1;
  return value;
}

}  // namespace

std::string LoadBinAddressText(int copy) {
  char text[16];
  std::snprintf(
      text, sizeof text, "0x%x",
      static_cast<unsigned>(kDumpCopyStride * std::clamp(copy, 0, kCopies - 1) + kDumpFirstCopy));
  return text;
}

void TestPage::Create(PageBinder& binder) {
  PageLogic::Create(binder);
  PageControls& c = binder.Controls();
  c.SetItems("ComboBoxLoadBin", kLoadBinItems);
  c.SetItemIndex("ComboBoxLoadBin", 0);
  c.SetText("EditLoadBin", LoadBinAddressText(0));
}

void TestPage::Refresh(PageBinder& binder) {
  PageControls& c = binder.Controls();
  c.SetVisible("GroupBoxTestPout", true);
  for (const char* name :
       {"ButtonTest01", "ButtonTest02", "ButtonTest03", "ButtonTest04", "ButtonTestIgn2"})
    c.SetVisible(name, true);
  for (const char* name : {"ButtonTestIgn3", "ButtonTestIgn4", "ButtonTestN2O"})
    c.SetVisible(name, false);
  for (const char* name : kLoadBinControls) c.SetVisible(name, context_.testMode);
  c.SetVisible("GroupBoxMonTest", context_.testMode);
}

void TestPage::Tick(PageBinder& /*binder*/) {
  // A new connection asks again before its first test.
  if (!Connected()) confirmed_ = false;
}

bool TestPage::Change(PageBinder& binder, std::string_view control) {
  if (IsTestButton(control)) {
    TestClick(control);
    return true;
  }
  if (control == "ComboBoxLoadBin") {
    PageBinder::Guard guard(binder);
    binder.Controls().SetText("EditLoadBin",
                              LoadBinAddressText(binder.Controls().ItemIndex("ComboBoxLoadBin")));
    return true;
  }
  if (control == "ButtonLoadBin") {
    LoadBinClick(binder);
    return true;
  }
  return false;
}

void TestPage::TestClick(std::string_view button) {
  if (Refused()) return;
  if (!Connected()) {
    confirmed_ = false;
    return;
  }
  // The tick sees a lost connection only while this page is shown; the connection number
  // also catches a reconnection that happened while another page was.
  const uint32_t connection = Connection();
  if (!confirmed_ || confirmedFor_ != connection) {
    confirmed_ = false;
    if (!context_.ask || context_.ask(kTestQuestion) != PageAnswer::Yes) return;
    confirmed_ = true;
    confirmedFor_ = connection;
  }
  if (context_.testRequest) context_.testRequest(std::string(button));
}

void TestPage::LoadBinClick(PageBinder& binder) {
  if (!context_.testMode || !context_.chooseFile || Refused()) return;
  const std::string addressText = binder.Controls().Text("EditLoadBin");
  const long offset = ParseAddress(addressText);
  if (offset < 0) {
    ShowError("\"" + addressText +
              "\" is not a hexadecimal address. Choose a copy or enter an address such as "
              "0x481.");
    return;
  }
  const std::string path = context_.chooseFile("*.bin");
  if (path.empty()) return;
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    ShowError("Could not read " + path + ". Nothing was loaded.");
    return;
  }
  const auto needed = static_cast<std::size_t>(offset) + PARAM_IMAGE_SIZE;
  if (bytes.size() < needed) {
    ShowError(path + " holds " + std::to_string(bytes.size()) + " bytes; the parameters at " +
              addressText + " need " + std::to_string(needed) +
              ". Nothing was loaded: choose another copy or a complete memory dump.");
    return;
  }
  // Whatever the dump held is made valid like any other load, as one undo step.
  binder.Doc().Replace(DocumentChange::LoadBin, [&](ImageBuffers& b) {
    std::copy_n(bytes.begin() + offset, PARAM_IMAGE_SIZE, reinterpret_cast<char*>(b.params.Data()));
    // The read-out lock is a check box on the window: any nonzero byte reads as locked.
    const uint8_t lock = b.params.Byte(Adrb::NO_READING);
    b.params.SetByte(Adrb::NO_READING, lock != 0 ? 1 : 0);
    NormalizeParams(b.params);
    UpdatePresence(b.params, b.presence);
    return true;
  });
}

}  // namespace zeda
