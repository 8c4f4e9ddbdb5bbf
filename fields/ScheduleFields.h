// Fields of the schedule policy messages (TMMsg::CreateTaskReq and the holders
// inside it) that schedule discovery builds and the runner's report reads.
#pragma once

#include "fields/Field.h"

namespace schedulefields {

constexpr int kModule = 12;
constexpr int kBodyType = 40, kDefinitionType = 367, kHeaderType = 10, kOptionsType = 262, kBackupType = 111;
constexpr int kPatternType = 78, kDaysType = 248;

constexpr Field kBody{2, 2};               // of the task: (12, 40)
constexpr Field kDefinition{1, 1};         // of the body: (12, 367)
constexpr Field kTaskName{2, 2};           // of the definition
constexpr Field kAssociations{3, 3};       // of the body: one HxEntities::GenericEntity per resource
constexpr Field kSubtasks{5, 5};           // of the body: TMMsg::SubTaskInfo
constexpr Field kSubtaskHeader{1, 1};      // of a subtask: (12, 10)
constexpr Field kSubtaskName{1, 1};        // of the header
constexpr Field kPattern{3, 3};            // of a subtask: (12, 78)
constexpr Field kSubtaskOptions{4, 4};     // of a subtask: (12, 262)
constexpr Field kBackupOptions{1, 1};      // of the options: (12, 111)
constexpr Field kBackupLevel{1, 1};        // of the backup options: 1 Full, 2 Incremental, 3 Differential, 4 Synthetic Full
constexpr Field kPatternKind{4, 7};        // kWeekly or kMonthly
constexpr Field kPatternStart{14, 17};     // seconds after midnight; absent when the group has no start time
constexpr Field kPatternDays{5, 8};        // of the pattern: (12, 248)
constexpr Field kDayOfMonth{8, 8};         // of the days, monthly patterns
constexpr Field kWeek{9, 9};               // of the days
// Weekday d (1 = Sunday) of a weekly pattern is field d/d of the days, 1 when it runs.
constexpr Field Weekday(short d) { return Field{d, d}; }

constexpr long long kWeekly = 8;
constexpr long long kMonthly = 16;

}  // namespace schedulefields
