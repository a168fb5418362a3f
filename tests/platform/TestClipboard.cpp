// The clipboard: the in-process store, and a round trip of Chinese text through a real X
// server's CLIPBOARD selection with a second X client (xclip); that part is skipped without
// $DISPLAY or xclip.

#include "platform/Clipbrd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/platform/Watchdog.h"

namespace {

// Runs a shell command and returns what it printed.
std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[256];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

bool HaveXclip() { return std::system("command -v xclip >/dev/null 2>&1") == 0; }

TEST(Clipboard, InProcessTextAndBackendSwitch) {
  Clipboard()->SetAsText("剪贴板 text");
  EXPECT_EQ(Clipboard()->AsText(), "剪贴板 text");
  EXPECT_TRUE(Clipboard()->HasText());

  struct TFixed final : TClipboardBackend {
    std::string GetText() override { return "fixed"; }
    void SetText(const std::string&) override {}
  };
  auto previous = SetClipboardBackend(std::make_unique<TFixed>());
  EXPECT_EQ(previous, nullptr);
  EXPECT_EQ(Clipboard()->AsText(), "fixed");
  SetClipboardBackend(nullptr);
  EXPECT_EQ(Clipboard()->AsText(), "剪贴板 text") << "the in-process store kept its text";
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasText());
}

TEST(Clipboard, RoundTripWithAnotherXClient) {
  if (!std::getenv("DISPLAY") || !HaveXclip()) GTEST_SKIP() << "needs an X server and xclip";
  auto x11 = CreateX11ClipboardBackend();
  ASSERT_NE(x11, nullptr);
  TWatchdog dog("X clipboard round trip", 15000);

  x11->SetText("中文 from us");
  EXPECT_EQ(RunCommand("xclip -selection clipboard -o -t UTF8_STRING"), "中文 from us");

  // xclip owns the selection until one request has been served (-l 1), then exits. It takes the
  // selection from its own background process, so until it has, we still read our own text.
  ASSERT_EQ(std::system("printf '%s' '汉字 from xclip' | xclip -selection clipboard -i -l 1 >/dev/null 2>&1"), 0);
  std::string got;
  for (int attempt = 0; attempt < 200 && got != "汉字 from xclip"; ++attempt) {
    got = x11->GetText();
    if (got != "汉字 from xclip") std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  EXPECT_EQ(got, "汉字 from xclip");

  x11->SetText("");  // takes the selection back
  EXPECT_EQ(x11->GetText(), "");
}

}  // namespace
