// Fields of the schedule policy messages (TMMsg::CreateTaskReq and the holders
// inside it) that schedule discovery builds and the runner's report reads.
#pragma once

#include "fields/Field.h"

namespace schedulefields {

constexpr int kModule = 12;
constexpr int kBodyType = 40, kDefinitionType = 367, kHeaderType = 10, kOptionsType = 262, kBackupType = 111;
constexpr int kPatternType = 78, kDaysType = 248;
// Holders the host wants present and (but for two numbers) empty.
constexpr int kBodyExtraType = 309, kDefinitionOptionsType = 265, kOptionsExtraType = 17;
// Entities (module 18) inside a pattern.
constexpr int kEntityModule = 18, kPatternEntityType = 51, kTimeZoneType = 45;

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

// The rest of each holder, with the value every policy carries there. The
// host's meaning of these numbers is not documented: they are written as it
// expects them, and named for their place.
constexpr Field kBodyExtra{2, 2};             // of the body: (12, 309), empty
// Task definition: 1/1 0 and 5/8 4 before the task name; then 4/7, 10/13,
// 6/9 0, 9/12 5, 16/28 0; then its options (12, 265) with 1/1 and 5/5 0.
constexpr Field kDefinitionA{1, 1}, kDefinitionB{5, 8};
constexpr Field kDefinitionC{4, 7}, kDefinitionD{10, 13}, kDefinitionE{6, 9};
constexpr Field kDefinitionF{9, 12}, kDefinitionG{16, 28};
constexpr Field kDefinitionOptions{3, 6};
constexpr Field kDefinitionOptionA{1, 1}, kDefinitionOptionB{5, 5};
constexpr Field kSubtaskHeaderA{3, 6}, kSubtaskHeaderB{4, 7};  // 2 and 2
constexpr Field kBackupFlag{18, 18};                           // of the backup options: 0
constexpr Field kOptionsExtra{4, 4};                           // of the options: (12, 17), empty
// Pattern: 1/1 0 and 22/25 1 on every pattern; 8/11 1 (weekly patterns at
// once, monthly ones with their day), 11/14 and 10/13 0; monthly patterns
// also 6/9 and 7/10 0 with their day.
constexpr Field kPatternA{1, 1}, kPatternB{22, 25};
constexpr Field kPatternC{8, 11}, kPatternD{11, 14}, kPatternE{10, 13};
constexpr Field kPatternF{6, 9}, kPatternG{7, 10};
constexpr Field kPatternEntity{23, 26};     // entity (18, 51) holding 1 at kEntityValue
constexpr Field kPatternTimeZone{21, 24};   // entity (18, 45): the local time zone's standard name
constexpr Field kEntityValue{0, 0};
constexpr Field kTimeZoneName{1, 1};

// An association, HxEntities::GenericEntity (18, 46): one resource's subclient.
constexpr Field kAssociationClient{19, 52};
constexpr Field kAssociationClientAgain{18, 48};
constexpr Field kAssociationAppName{15, 39};
constexpr Field kAssociationAppType{14, 38};
constexpr Field kAssociationInstallation{2, 2};  // the zonar name
constexpr Field kAssociationInstance{12, 30};
constexpr Field kAssociationBackupSet{9, 21};
constexpr Field kAssociationSubclient{6, 12};

}  // namespace schedulefields
