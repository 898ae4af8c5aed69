// StartSideThread: a piece of work run on a thread of its own, so that the
// caller goes on meanwhile; where no thread can be started, the work is done
// at once on the caller's thread instead. The caller joins the returned
// thread when it is joinable (empty after work done at once).
#pragma once

#include <functional>
#include <system_error>
#include <thread>

inline std::thread StartSideThread(const std::function<void()>& work) {
  try {
    return std::thread(work);
  } catch (const std::system_error&) {
    work();
    return {};
  }
}

// Joins `thread` when it runs work not yet waited for.
inline void JoinSideThread(std::thread& thread) {
  if (thread.joinable()) thread.join();
}
