// The registry of named message classes, built from the classes' own constants.
#include "hx/MessageClasses.h"

#include <iterator>

namespace hx {
namespace {

template <typename C>
constexpr MessageClassInfo Info() {
  return MessageClassInfo{C::kClassKey, C::kModule, C::kType, C::kClassName};
}

constexpr MessageClassInfo kClasses[] = {
    Info<App::ClientsList>(),         Info<App::ClientInfo>(),
    Info<App::PVXInfo>(),             Info<App::InstanceInfo>(),
    Info<App::BackupSetInfo>(),       Info<App::SubClientInfo>(),
    Info<App::ComponentInfo>(),       Info<App::AttributeInfo>(),
    Info<App::AttributeInfoEx>(),     Info<App::OperatingSystem>(),
    Info<FDC::ExternalNBUConfig>(),   Info<FDC::DiscoveryError>(),
    Info<FDC::StoragePolicyList>(),   Info<FDC::StoragePolicy>(),
    Info<FDC::StoragePolicyCopy>(),   Info<FDC::StoragePolicyDataPath>(),
    Info<FDC::ForeignLibraries>(),    Info<FDC::ForeignLibraryItem>(),
    Info<FDC::ForeignLibraryHost>(),  Info<FDC::ForeignDriveItem>(),
    Info<FDC::InfoItem>(),            Info<FDC::ForeignMedias>(),
    Info<FDC::ForeignMediaItem>(),    Info<FDC::JobList>(),
    Info<FDC::JobInfo>(),             Info<FDC::DataInfo>(),
    Info<TMMsg::CreateTaskReq>(),     Info<TMMsg::SubTaskInfo>(),
    Info<HxEntities::GenericEntity>(), Info<FDC::ForeignLibraryList>(),
    Info<FDC::ForeignMediaList>(),
};

}  // namespace

// A linear walk: the table is small and every message construction looks here,
// so a scan of contiguous entries beats hashing.
const MessageClassInfo* FindMessageClassByKey(unsigned long classKey) {
  for (const MessageClassInfo& info : kClasses) {
    if (info.key == classKey) return &info;
  }
  return nullptr;
}

const MessageClassInfo* FindMessageClass(int module, int type) {
  for (const MessageClassInfo& info : kClasses) {
    if (info.module == module && info.type == type) return &info;
  }
  return nullptr;
}

const MessageClassInfo* MessageClassesBegin() { return std::begin(kClasses); }
const MessageClassInfo* MessageClassesEnd() { return std::end(kClasses); }

}  // namespace hx
