// Listeners that may be added, removed and called from any thread.
//
// Remove returns only after no call of that listener is running on another thread, so
// a caller that removes its listener may free what the listener uses. A listener may
// remove itself (or another) from inside its own call; it is then not waited for.
#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace platform::vcam {

template <class... Args>
class ListenerList {
 public:
  using Listener = std::function<void(Args...)>;

  int Add(Listener listener) {
    std::lock_guard lock(m_mutex);
    const int id = m_nextId++;
    m_listeners.emplace(id, std::move(listener));
    return id;
  }

  void Remove(int id) {
    std::unique_lock lock(m_mutex);
    m_listeners.erase(id);
    const auto self = std::this_thread::get_id();
    m_idle.wait(lock, [&] {
      for (const auto& call : m_running)
        if (call.first == id && call.second != self) return false;
      return true;
    });
  }

  // Calls every listener present when the call starts and still present when its turn
  // comes, on the calling thread, without holding the list's lock.
  void Call(Args... args) {
    std::vector<int> ids;
    {
      std::lock_guard lock(m_mutex);
      ids.reserve(m_listeners.size());
      for (const auto& entry : m_listeners) ids.push_back(entry.first);
    }
    const auto self = std::this_thread::get_id();
    for (int id : ids) {
      Listener listener;
      {
        std::lock_guard lock(m_mutex);
        auto it = m_listeners.find(id);
        if (it == m_listeners.end()) continue;
        listener = it->second;
        m_running.emplace_back(id, self);
      }
      listener(args...);
      {
        std::lock_guard lock(m_mutex);
        for (auto it = m_running.begin(); it != m_running.end(); ++it) {
          if (it->first == id && it->second == self) {
            m_running.erase(it);
            break;
          }
        }
      }
      m_idle.notify_all();
    }
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_idle;
  std::map<int, Listener> m_listeners;
  std::vector<std::pair<int, std::thread::id>> m_running;  // calls in progress
  int m_nextId = 1;
};

}  // namespace platform::vcam
