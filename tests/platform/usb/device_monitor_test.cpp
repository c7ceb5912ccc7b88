#include "platform/usb/device_monitor.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <map>
#include <thread>
#include <vector>

#include "support/wait.h"

namespace {

using platform::DeviceMonitor;

TEST(DeviceMonitor, PostedEventsArriveOnTheOwningThreadInOrderPerPoster) {
  DeviceMonitor monitor;
  constexpr int kPosters = 4;
  constexpr int kPerPoster = 250;
  std::vector<int> received;
  bool allOnMainThread = true;
  QObject::connect(&monitor, &DeviceMonitor::deviceChange, [&](int event) {
    allOnMainThread = allOnMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
    received.push_back(event);
  });

  std::vector<std::thread> posters;
  for (int p = 0; p < kPosters; ++p)
    posters.emplace_back([&monitor, p] {
      for (int i = 0; i < kPerPoster; ++i) monitor.Post(p * 10000 + i);
    });
  for (std::thread& t : posters) t.join();
  EXPECT_TRUE(received.empty()) << "nothing is delivered before the owning thread's loop runs";

  ASSERT_TRUE(testsupport::WaitFor([&] { return received.size() >= kPosters * kPerPoster; }));
  EXPECT_EQ(received.size(), size_t{kPosters * kPerPoster});
  EXPECT_TRUE(allOnMainThread);
  std::map<int, int> next;
  for (int event : received) {
    const int poster = event / 10000;
    EXPECT_EQ(event % 10000, next[poster]++) << "poster " << poster;
  }
}

TEST(DeviceMonitor, RegisterSucceedsOrFailsCleanly) {
  DeviceMonitor monitor;
  EXPECT_FALSE(monitor.IsRegistered());

  bool fromOtherThread = true;
  std::thread([&] { fromOtherThread = monitor.Register(); }).join();
  EXPECT_FALSE(fromOtherThread) << "the notifier must live on the owning thread";
  EXPECT_FALSE(monitor.IsRegistered());

  const bool registered = monitor.Register();
  EXPECT_EQ(monitor.IsRegistered(), registered);
  if (registered) {
    EXPECT_TRUE(monitor.Register()) << "registering again keeps the one monitor";
  }
  monitor.Unregister();
  EXPECT_FALSE(monitor.IsRegistered());
  monitor.Unregister();
  EXPECT_FALSE(monitor.IsRegistered());

  // Posted events still come without (or after) the udev monitor.
  std::vector<int> received;
  QObject::connect(&monitor, &DeviceMonitor::deviceChange, [&](int event) { received.push_back(event); });
  monitor.Post(platform::DBT_DEVICEARRIVAL);
  monitor.Post(platform::DBT_DEVICEREMOVECOMPLETE);
  ASSERT_TRUE(testsupport::WaitFor([&] { return received.size() == 2; }));
  EXPECT_EQ(received, (std::vector<int>{platform::DBT_DEVICEARRIVAL, platform::DBT_DEVICEREMOVECOMPLETE}));
}

TEST(DeviceMonitor, EventsStillQueuedAreDroppedWithTheMonitor) {
  int received = 0;
  {
    DeviceMonitor monitor;
    QObject::connect(&monitor, &DeviceMonitor::deviceChange, [&](int) { ++received; });
    monitor.Register();
    monitor.Post(platform::DBT_DEVICEARRIVAL);
  }
  // A sentinel posted afterwards proves the queue has been drained.
  bool drained = false;
  QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { drained = true; }, Qt::QueuedConnection);
  ASSERT_TRUE(testsupport::WaitFor([&] { return drained; }));
  EXPECT_EQ(received, 0);
}

}  // namespace
