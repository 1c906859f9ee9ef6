#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "transfer/internet_cancellation.h"

namespace tarnwick {
namespace {

TEST(InternetCancellationTest, ClosesEachOpenHandleOnceInnermostFirstAndRefusesAfterwards) {
  InternetCancellation cancellation;
  std::vector<std::string> closed;
  int session = 0, connection = 0, file = 0, done = 0;
  ASSERT_TRUE(cancellation.Register(&session, [&]() { closed.push_back("session"); }));
  ASSERT_TRUE(cancellation.Register(&connection, [&]() { closed.push_back("connection"); }));
  ASSERT_TRUE(cancellation.Register(&done, [&]() { closed.push_back("done"); }));
  ASSERT_TRUE(cancellation.Register(&file, [&]() { closed.push_back("file"); }));
  EXPECT_TRUE(cancellation.Unregister(&done));  // closed by its owner, not by Cancel
  EXPECT_FALSE(cancellation.Cancelled());

  cancellation.Cancel();
  cancellation.Cancel();
  EXPECT_EQ(closed, (std::vector<std::string>{"file", "connection", "session"}));
  // The owners learn that their handles are gone and must not close them again.
  EXPECT_FALSE(cancellation.Unregister(&file));
  EXPECT_FALSE(cancellation.Unregister(&session));
  // Nothing new starts.
  EXPECT_TRUE(cancellation.Cancelled());
  EXPECT_FALSE(cancellation.Register(&done, [&]() { closed.push_back("late"); }));
  EXPECT_EQ(closed.size(), 3u);
}

TEST(InternetCancellationTest, TheCancellationBelongsToTheCyclesThreadOnly) {
  // The configuration dialogs' requests, outside a cycle, know no cancellation.
  EXPECT_EQ(CurrentCancellation(), nullptr);
  auto cancellation = std::make_shared<InternetCancellation>();
  std::thread worker([&]() {
    CancellationScope scope(cancellation);
    EXPECT_EQ(CurrentCancellation(), cancellation);
  });
  worker.join();
  EXPECT_EQ(CurrentCancellation(), nullptr);
}

TEST(InternetCancellationTest, HandleFinishedByItsOwnerWhileCancelRunsIsClosedExactlyOnce) {
  for (int round = 0; round < 200; ++round) {
    InternetCancellation cancellation;
    std::atomic<int> closes{0};
    int handles[8];
    for (int& handle : handles) ASSERT_TRUE(cancellation.Register(&handle, [&]() { ++closes; }));
    std::thread owner([&]() {
      for (int& handle : handles)
        if (cancellation.Unregister(&handle)) ++closes;  // the owner's own close
    });
    cancellation.Cancel();
    owner.join();
    EXPECT_EQ(closes.load(), 8) << "round " << round;
  }
}

}  // namespace
}  // namespace tarnwick
