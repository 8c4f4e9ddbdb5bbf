// Fields of the client messages: App::ClientsList, the App::ClientInfo tree
// of each client (record, agents, instances, backup sets, subclients) and the
// unnamed holders inside it. The client builders, client discovery and the
// runner's report all name them from here.
#pragma once

#include "fields/Field.h"

namespace clientfields {

// Holder classes (module, type) of the fields below.
constexpr int kAppModule = 30, kRecordType = 115, kMasterType = 140, kPropertiesType = 136, kPlatformType = 17;
constexpr int kEntityModule = 18, kClientEntityType = 4, kTimeZoneType = 45, kComponentIdType = 2,
              kInstallationType = 3, kInstallationIdType = 0, kAgentIdType = 5, kInstanceNameType = 8,
              kBackupSetNameType = 9, kSubclientNameType = 10;

// An entity of module 18 that holds one number does so at 0/0; a node of
// the tree (instance, backup set, subclient) is named by the entity at its
// 1/1, whose 1/1 is the name.
constexpr Field kEntityValue{0, 0};
constexpr Field kNodeId{1, 1};
constexpr Field kNodeName{1, 1};

// App::ClientsList
constexpr Field kClients{1, 1};     // the list of App::ClientInfo
constexpr Field kListStatus{2, 2};  // 0
constexpr Field kListKind{3, 3};    // 7

// App::ClientInfo
constexpr Field kRecord{1, 1};      // client record (30, 115)
constexpr Field kMaster{2, 2};      // master server record (30, 140), the server's own client only
constexpr Field kProperties{3, 3};  // property holder (30, 136)

// Client record (30, 115)
constexpr Field kEntity{1, 1};       // client entity (18, 4)
constexpr Field kOs{2, 2};           // App::OperatingSystem
constexpr Field kRecordMark{3, 3};   // "2"
constexpr Field kRecordKind{4, 7};   // "EMC Networker Client"
constexpr Field kTimeZone{6, 12};    // time zone entity (18, 45), the server's own client only
constexpr Field kComponents{19, 28};  // list of App::ComponentInfo
constexpr Field kAgents{20, 29};      // list of App::PVXInfo
// Every client record carries 8600 at 11/17, 8602 at 10/16 and 2 at 12/18:
// the values the host expects of a foreign client. Nothing documents what
// they stand for, so they are named for their place.
constexpr Field kRecordFixedA{11, 17}, kRecordFixedB{10, 16}, kRecordFixedC{12, 18};
constexpr long long kRecordFixedAValue = 8600, kRecordFixedBValue = 8602, kRecordFixedCValue = 2;

// Client entity (18, 4): the client's name, twice.
constexpr Field kEntityName{1, 1};
constexpr Field kEntityHost{2, 5};

// Time zone entity (18, 45)
constexpr Field kTimeZoneName{1, 1};

// App::ComponentInfo: an entity (18, 2) whose 0/0 is the component type.
constexpr Field kComponentId{1, 1};
constexpr Field kComponentNote{2, 2};  // "-NA-"
constexpr long long kClientComponent = 3, kMediaAgentComponent = 11;

// Master server record (30, 140)
constexpr Field kInstallation{1, 1};     // installation entity (18, 3)
constexpr Field kMasterTimeZone{11, 20};  // the time zone's display name
// 105 at 17/41: the host's value for a NetWorker master server; undocumented.
constexpr Field kMasterFixed{17, 41};
constexpr long long kMasterFixedValue = 105;

// Installation entity (18, 3)
constexpr Field kInstallationName{1, 1};  // the zonar name
constexpr Field kInstallationFlag{3, 9};  // 1
constexpr Field kInstallationId{5, 11};   // entity (18, 0) holding 1

// Property holder (30, 136) and its App::AttributeInfo entries
constexpr Field kPropertyList{113, 167};
constexpr Field kPropertyName{2, 2};
constexpr Field kPropertyKind{3, 6};
constexpr Field kPropertyValue{4, 7};

// App::PVXInfo, one agent per application type: its id entity (18, 5) holds
// the type at 0/0 and its display name at 1/1.
constexpr Field kAgentId{1, 1};
constexpr Field kAgentType{0, 0};
constexpr Field kAgentTypeName{1, 1};
// 8194 at 2/2 of every agent: the host's value, undocumented.
constexpr Field kAgentFixed{2, 2};
constexpr long long kAgentFixedValue = 8194;
constexpr Field kInstances{6, 6};  // list of App::InstanceInfo
// The application type of a resource no agent of the host matches.
constexpr long long kOtherExternalAgentType = 130;

// App::InstanceInfo (named by an entity (18, 8))
constexpr Field kInstanceAttributes{5, 5};  // list of App::AttributeInfoEx
constexpr Field kBackupSets{8, 8};          // list of App::BackupSetInfo

// App::BackupSetInfo (named by an entity (18, 9))
constexpr Field kBackupSetFixed{2, 2};  // 10
constexpr Field kSubclients{6, 6};      // list of App::SubClientInfo, "default" first

// App::SubClientInfo (named by an entity (18, 10))
constexpr Field kSubclientKind{3, 6};         // 8 for the "default" made with its backup set, 0 for the others
constexpr Field kSubclientProperties{6, 9};  // list of App::AttributeInfoEx
constexpr Field kSubclientContent{7, 10};    // list of App::AttributeInfoEx, one per save set

// App::AttributeInfoEx
constexpr Field kAttributeName{3, 3};
constexpr Field kAttributeKind{4, 7};
constexpr Field kAttributeValue{5, 8};

// App::OperatingSystem and its platform (30, 17)
constexpr Field kOsCode{1, 1};
constexpr Field kOsFamily{2, 2};
constexpr Field kOsName{3, 6};
constexpr Field kOsAny{5, 14};  // "Any"
constexpr Field kOsPlatform{6, 18};
constexpr Field kPlatformName{1, 1};
constexpr Field kPlatformAny{3, 9};  // "Any"

}  // namespace clientfields
