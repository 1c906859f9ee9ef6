#include <gtest/gtest.h>

#include "app/application.h"
#include "doubles/fake_ui.h"

namespace tarnwick {
namespace {

class FakeMarker : public IInstanceMarker {
 public:
  bool AnotherInstanceRuns(const std::string& name) override {
    asked = name;
    return another;
  }
  bool another = false;
  std::string asked;
};

TEST(ApplicationTest, SecondInstanceSaysSoAndCreatesNoFrame) {
  FakeMarker marker;
  testing::FakeMessageBox messages;
  int frames = 0;
  marker.another = true;
  EXPECT_FALSE(Application().InitInstance(marker, messages, [&] { return ++frames, true; }));
  EXPECT_EQ(marker.asked, "FD2C3621_1A18_11D8_8E2A_EA1BF69D4779");
  EXPECT_EQ(messages.shown, std::vector<std::string>{"Dravo Upload Ulkin is already loaded"});
  EXPECT_EQ(frames, 0);

  marker.another = false;
  EXPECT_TRUE(Application().InitInstance(marker, messages, [&] { return ++frames, true; }));
  EXPECT_FALSE(Application().InitInstance(marker, messages, [&] { return ++frames, false; }));
  EXPECT_EQ(frames, 2);
  EXPECT_EQ(messages.shown.size(), 1u);  // a frame that fails ends silently
}

}  // namespace
}  // namespace tarnwick
