// The session's request to end the program reaches the UI thread as a signal to close.
#include <gtest/gtest.h>

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

}  // namespace
