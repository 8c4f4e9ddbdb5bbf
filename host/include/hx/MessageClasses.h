// The named message classes the plug-in exchanges with the host, and a registry
// that maps a class key or a (module, type) pair to the class.
#pragma once

#include "hx/Message.h"

namespace hx {

struct MessageClassInfo {
  unsigned long key;
  int module;
  int type;
  const char* name;  // "App::ClientsList"; static storage
};

// Our class keys: module and type packed into one number, so every class gets a
// distinct key without a second table to keep apart.
constexpr unsigned long MakeClassKey(int module, int type) {
  return (static_cast<unsigned long>(module) << 16) | static_cast<unsigned long>(type & 0xFFFF);
}

// Null when no registered class has that key, or that (module, type).
const MessageClassInfo* FindMessageClassByKey(unsigned long classKey);
const MessageClassInfo* FindMessageClass(int module, int type);

// All registered classes, for tests and tools that walk them.
const MessageClassInfo* MessageClassesBegin();
const MessageClassInfo* MessageClassesEnd();

}  // namespace hx

// A named class: its numbers, name and key, and a default constructor that sets them.
#define HX_MESSAGE_CLASS(NS, NAME, MODULE, TYPE)                                    \
  class NAME : public CNMessageBase {                                               \
   public:                                                                          \
    static constexpr int kModule = MODULE;                                          \
    static constexpr int kType = TYPE;                                              \
    static constexpr char kClassName[] = #NS "::" #NAME;                            \
    static constexpr unsigned long kClassKey = hx::MakeClassKey(MODULE, TYPE);      \
    NAME() : CNMessageBase(MODULE, TYPE, kClassName) {}                             \
  };

namespace App {
HX_MESSAGE_CLASS(App, ClientsList, 30, 164)
HX_MESSAGE_CLASS(App, ClientInfo, 30, 163)
HX_MESSAGE_CLASS(App, PVXInfo, 30, 113)
HX_MESSAGE_CLASS(App, InstanceInfo, 30, 112)
HX_MESSAGE_CLASS(App, BackupSetInfo, 30, 289)
HX_MESSAGE_CLASS(App, SubClientInfo, 30, 27)
HX_MESSAGE_CLASS(App, ComponentInfo, 30, 21)
HX_MESSAGE_CLASS(App, AttributeInfo, 30, 22)
HX_MESSAGE_CLASS(App, AttributeInfoEx, 30, 23)
HX_MESSAGE_CLASS(App, OperatingSystem, 30, 18)
}  // namespace App

namespace FDC {
HX_MESSAGE_CLASS(FDC, ExternalNBUConfig, 32, 74)
HX_MESSAGE_CLASS(FDC, DiscoveryError, 32, 56)
HX_MESSAGE_CLASS(FDC, StoragePolicyList, 32, 52)
HX_MESSAGE_CLASS(FDC, StoragePolicy, 32, 57)
HX_MESSAGE_CLASS(FDC, StoragePolicyCopy, 32, 68)
HX_MESSAGE_CLASS(FDC, StoragePolicyDataPath, 32, 64)
HX_MESSAGE_CLASS(FDC, ForeignLibraries, 32, 47)
HX_MESSAGE_CLASS(FDC, ForeignLibraryList, 32, 45)
HX_MESSAGE_CLASS(FDC, ForeignLibraryItem, 32, 18)
HX_MESSAGE_CLASS(FDC, ForeignLibraryHost, 32, 69)
HX_MESSAGE_CLASS(FDC, ForeignDriveItem, 32, 12)
HX_MESSAGE_CLASS(FDC, InfoItem, 32, 17)
HX_MESSAGE_CLASS(FDC, ForeignMedias, 32, 9)
HX_MESSAGE_CLASS(FDC, ForeignMediaList, 32, 10)
HX_MESSAGE_CLASS(FDC, ForeignMediaItem, 32, 38)
HX_MESSAGE_CLASS(FDC, JobList, 32, 11)
HX_MESSAGE_CLASS(FDC, JobInfo, 32, 21)
HX_MESSAGE_CLASS(FDC, DataInfo, 32, 29)
}  // namespace FDC

namespace TMMsg {
HX_MESSAGE_CLASS(TMMsg, CreateTaskReq, 12, 175)
HX_MESSAGE_CLASS(TMMsg, SubTaskInfo, 12, 183)
}  // namespace TMMsg

namespace HxEntities {
HX_MESSAGE_CLASS(HxEntities, GenericEntity, 18, 46)
}  // namespace HxEntities

#undef HX_MESSAGE_CLASS
