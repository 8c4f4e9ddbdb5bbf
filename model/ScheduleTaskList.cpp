// The schedule policies of one schedule discovery, indexed by task name.
#include "model/ScheduleTaskList.h"

TMMsg::CreateTaskReq& ScheduleTaskList::FindOrAdd(const std::string& taskName) {
  auto [entry, added] = m_byName.try_emplace(taskName, m_tasks.size());
  if (added) m_tasks.emplace_back();
  return m_tasks[entry->second];
}
