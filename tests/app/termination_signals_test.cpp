// The session's request to end the program reaches the UI thread as a signal to close.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "app/termination_signals.h"
#include "support/wait.h"

namespace {

TEST(TerminationSignals, EachSignalAsksOnceOnTheUiThread) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    TerminationSignals termination;
    ASSERT_TRUE(termination.Install());
    int requests = 0;
    QObject::connect(&termination, &TerminationSignals::requested, [&] { ++requests; });
    ASSERT_EQ(std::raise(signal), 0);
    EXPECT_TRUE(testsupport::WaitFor([&] { return requests == 1; }));
  }
  // Out of scope the default handlers are back; the process's own ones are untouched.
  struct sigaction current {};
  ASSERT_EQ(::sigaction(SIGTERM, nullptr, &current), 0);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
}

TEST(TerminationSignals, AFailedInstallLeavesNoHandlerBehind) {
  // A handler the program had before stays; the one installed before the failure goes.
  struct sigaction before {};
  ASSERT_EQ(::sigaction(SIGTERM, nullptr, &before), 0);
  {
    TerminationSignals termination;
    termination.m_sigaction = [](int signal, const struct sigaction* action, struct sigaction* previous) {
      if (signal == SIGINT) {
        errno = EINVAL;
        return -1;
      }
      return ::sigaction(signal, action, previous);
    };
    EXPECT_FALSE(termination.Install());
    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    // A later install may succeed, and then catches the signals as usual.
    termination.m_sigaction = ::sigaction;
    ASSERT_TRUE(termination.Install());
    int requests = 0;
    QObject::connect(&termination, &TerminationSignals::requested, [&] { ++requests; });
    ASSERT_EQ(std::raise(SIGHUP), 0);
    EXPECT_TRUE(testsupport::WaitFor([&] { return requests == 1; }));
  }
  struct sigaction after {};
  ASSERT_EQ(::sigaction(SIGTERM, nullptr, &after), 0);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
