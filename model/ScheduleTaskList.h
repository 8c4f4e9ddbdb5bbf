// The schedule policies of one schedule discovery: one task per (schedule,
// group) name, found by that name through an index, kept in the order made.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "hx/MessageClasses.h"

class ScheduleTaskList {
 public:
  // The task named `taskName`, appended (empty) when there is none yet; the
  // caller names a new task with exactly `taskName`. The reference stays
  // valid until the next call.
  TMMsg::CreateTaskReq& FindOrAdd(const std::string& taskName);
  // The tasks in the order they were first asked for.
  std::vector<TMMsg::CreateTaskReq>& tasks() { return m_tasks; }
  size_t size() const { return m_tasks.size(); }

 private:
  std::vector<TMMsg::CreateTaskReq> m_tasks;
  // An estate of thousands of groups has as many tasks, and every resource
  // looks its task up: a search along the list would grow with the square.
  std::unordered_map<std::string, size_t> m_byName;
};
