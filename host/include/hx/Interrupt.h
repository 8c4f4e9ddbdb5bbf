// What an interrupted run must undo, kept where the interrupt watcher can
// reach it: the process groups of the commands running now and the temporary
// files made outside the results directory. Safe to use from several threads.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <thread>

namespace hx {

// A child is on the list from its start until just before it is collected, so
// its process group id cannot be reused while it is listed. Allocates nothing;
// children beyond a fixed number (far above what a run starts) go unlisted.
void AddRunningChild(pid_t pid);
void RemoveRunningChild(pid_t pid);
// Sends `sig` to the process group of every listed child, waits up to two
// seconds for them to end, then kills what is left of the groups.
void StopRunningChildren(int sig);

// Temporary files that an interrupt must remove: their owners forget them once
// they have removed them themselves.
void AddTempFile(const std::string& path);
void ForgetTempFile(const std::string& path);
// Removes every listed file; answers how many were removed.
int DeleteTempFiles();
// While an interrupt is being handled, does not return: the thread that runs
// into it (a command it waited for was stopped by the interrupt) goes no
// further, so nothing more is written before the process ends.
void HoldIfInterrupted();

// Blocks SIGINT and SIGTERM in the calling thread (call it before any other
// thread starts, so all inherit the mask) and starts a thread that waits for
// them and calls `onSignal` with the signal number; `onSignal` must end the
// process. Commands started later still get default signal handling.
void WatchInterrupts(std::function<void(int)> onSignal);
// Calls no callback any more (waits for one that is running, which ends the
// process); the signals stay blocked. For the owner of the callback to call
// before it goes away.
void StopWatchingInterrupts();

// Starts `work` on a thread with every signal blocked, so that signals meant
// for the process (an interrupt, a time-out's alarm) reach the thread that
// handles them. Throws std::system_error when no thread can be started.
std::thread StartThreadWithSignalsBlocked(std::function<void()> work);

}  // namespace hx
