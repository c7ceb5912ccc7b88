// A window's numbered timers (SetTimer / KillTimer by id): Qt timers in the program, a
// test's own clock in tests.
#pragma once


#include <chrono>
#include <functional>
#include <map>
#include <memory>

class QTimer;

class WindowTimers {
 public:
  using Handler = std::function<void(int id)>;

  virtual ~WindowTimers() = default;
  // Every tick of every timer goes to the handler with the timer's id.
  virtual void SetHandler(Handler handler) = 0;
  // Starts the timer (again, from now, when it runs).
  virtual void SetTimer(int id, std::chrono::milliseconds period) = 0;
  virtual void KillTimer(int id) = 0;
  virtual bool IsTimerRunning(int id) const = 0;
};

class QtWindowTimers final : public WindowTimers {
 public:
  QtWindowTimers();
  ~QtWindowTimers() override;

  void SetHandler(Handler handler) override { m_handler = std::move(handler); }
  void SetTimer(int id, std::chrono::milliseconds period) override;
  void KillTimer(int id) override;
  bool IsTimerRunning(int id) const override;

 private:
  Handler m_handler;
  std::map<int, std::unique_ptr<QTimer>> m_timers;
};
