#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "FakeClock.h"
#include "shell/EventLoop.h"

namespace mirvo {
namespace {

TEST(EventLoop, MessagesFromAnotherThreadAreHandledInOrderOnTheLoop) {
  test::FakeClock clock;
  EventLoop loop(clock);
  std::vector<std::uintptr_t> seen;
  const auto loopThread = std::this_thread::get_id();
  bool onLoopThread = true;
  loop.SetMessageHandler([&](unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    onLoopThread = onLoopThread && std::this_thread::get_id() == loopThread && message == 7 && lParam == 9;
    seen.push_back(wParam);
  });
  std::thread poster([&] {
    for (std::uintptr_t i = 0; i < 100; ++i) loop.PostMessage(7, i, 9);
  });
  EXPECT_TRUE(loop.RunUntil([&] { return seen.size() == 100; }, 5000));
  poster.join();
  EXPECT_TRUE(onLoopThread);
  for (std::uintptr_t i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
}

TEST(EventLoop, TimersFollowTheInjectedClock) {
  test::FakeClock clock;
  EventLoop loop(clock);
  int ticks = 0;
  const int id = loop.SetTimer(200, [&] { ++ticks; });
  loop.ProcessPendingMessages();
  EXPECT_EQ(ticks, 0);
  clock.Advance(199);
  loop.ProcessPendingMessages();
  EXPECT_EQ(ticks, 0);
  clock.Advance(1);
  loop.ProcessPendingMessages();
  EXPECT_EQ(ticks, 1);
  clock.Advance(1000);  // a late timer fires once, like a window timer
  loop.ProcessPendingMessages();
  EXPECT_EQ(ticks, 2);
  loop.KillTimer(id);
  clock.Advance(1000);
  loop.ProcessPendingMessages();
  EXPECT_EQ(ticks, 2);
}

TEST(EventLoop, RunUntilGivesUpAfterItsIdleGuard) {
  test::FakeClock clock;
  EventLoop loop(clock);
  EXPECT_FALSE(loop.RunUntil([] { return false; }, 0));
  bool ran = false;
  loop.PostTask([&] { ran = true; });
  EXPECT_TRUE(loop.RunUntil([&] { return ran; }, 0));
}

}  // namespace
}  // namespace mirvo
