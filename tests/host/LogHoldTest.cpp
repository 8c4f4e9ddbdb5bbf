// Held log lines: written after the lines that must come first, or dropped,
// and never mixed with what other threads log.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "hx/Log.h"

namespace {

// The messages of the captured lines, in order ("a b c").
std::string Messages() {
  std::string all = hx::LogSink::Captured(), out;
  for (size_t at = 0; (at = all.find("L0: ", at)) != std::string::npos; at += 4)
    out += (out.empty() ? "" : " ") + all.substr(at + 4, all.find('\n', at) - at - 4);
  return out;
}

void Log(const char* text) { EvEvent().DebugLvl("LogHoldTest", 0, "%s", text); }

class LogHoldTest : public ::testing::Test {
 protected:
  void SetUp() override { hx::LogSink::SetCapture(true); }
  void TearDown() override { hx::LogSink::SetCapture(false); }
};

TEST_F(LogHoldTest, HeldLinesComeAfterTheLinesLoggedOnceHoldingStopped) {
  enum Ending { kRelease, kDiscard, kDestroy };
  struct Case {
    bool active;
    Ending ending;
    const char* expected;
  } cases[] = {
      {true, kRelease, "before first second"},
      {true, kDestroy, "before first second"},
      {true, kDiscard, "before first"},
      {false, kDiscard, "before second first"},  // an inactive hold writes at once
  };
  for (const Case& c : cases) {
    hx::LogSink::SetCapture(true);
    {
      Log("before");
      hx::LogHold hold(c.active);
      Log("second");
      hold.Stop();
      Log("first");
      if (c.ending == kRelease) hold.Release();
      if (c.ending == kDiscard) hold.Discard();
    }
    EXPECT_EQ(Messages(), c.expected) << c.active << " " << c.ending;
  }
}

TEST_F(LogHoldTest, OnlyTheHoldingThreadIsHeld) {
  hx::LogHold hold;
  std::thread other([] { Log("other"); });
  other.join();
  Log("mine");
  EXPECT_EQ(Messages(), "other");
  hold.Release();
  EXPECT_EQ(Messages(), "other mine");
}

TEST_F(LogHoldTest, HeldErrorsCountOnceWrittenAndNeverWhenDiscarded) {
  hx::LogSink::SetCapture(false);  // counted without any sink too
  long long before = hx::LogSink::ErrorCount();
  {
    hx::LogHold hold;
    EvEvent().Error("LogHoldTest", "dropped");
    EXPECT_EQ(hx::LogSink::ErrorCount(), before);
    hold.Discard();
  }
  EXPECT_EQ(hx::LogSink::ErrorCount(), before);
  {
    hx::LogHold hold;
    EvEvent().Error("LogHoldTest", "kept");
  }
  EXPECT_EQ(hx::LogSink::ErrorCount(), before + 1);
}

}  // namespace
