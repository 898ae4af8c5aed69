#include "common/platform_file_watch.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <thread>

#include "test_files.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Notifications wake the wait at a change, and only then; polling looks about
// once a second; a stop signal ends either wait at once, and from then on
// the program goes on (the signal only sets the request).
TEST(FileWatch, WakesAtAChangeOrAboutOnceASecondAndAtAStopSignal) {
  const std::string path = MakeScratchDir("watch") + "/grows.bin";
  WriteWholeFile(path, "start");
  FileWatch notified(path);
  ASSERT_TRUE(notified.Notified());  // Linux has inotify
  Clock::time_point start = Clock::now();
  EXPECT_EQ(notified.Wait(milliseconds(200)), FileWatch::Wake::kTimedOut);
  EXPECT_GE(SecondsSince(start), 0.19);
  std::thread writer([&path] {
    std::this_thread::sleep_for(milliseconds(100));
    std::ofstream(path, std::ios::app) << "more";
  });
  start = Clock::now();
  EXPECT_EQ(notified.Wait(milliseconds(5000)), FileWatch::Wake::kMayHaveChanged);
  EXPECT_LT(SecondsSince(start), 1.0);
  writer.join();
  notified.Wait(milliseconds(100));  // the writer's closing, if it came later

  FileWatch polled(path, FileWatch::Method::kPolling);
  EXPECT_FALSE(polled.Notified());
  start = Clock::now();
  EXPECT_EQ(polled.Wait(milliseconds(5000)), FileWatch::Wake::kMayHaveChanged);
  EXPECT_GT(SecondsSince(start), 0.9);
  EXPECT_LT(SecondsSince(start), 2.0);

  CatchStopSignals();
  for (FileWatch* watch : {&notified, &polled}) {
    std::thread stopper([] {
      std::this_thread::sleep_for(milliseconds(100));
      std::raise(SIGTERM);
    });
    start = Clock::now();
    EXPECT_EQ(watch->Wait(milliseconds(5000)), FileWatch::Wake::kStopRequested);
    EXPECT_LT(SecondsSince(start), 0.5);
    stopper.join();
  }
  EXPECT_TRUE(StopRequested());
}

}  // namespace
