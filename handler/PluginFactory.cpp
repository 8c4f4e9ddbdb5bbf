// The plug-in's only exported symbols: the C factory the host loads with dlopen.
#include "handler/CForeignHandlerNWK.h"

#define NWK_EXPORT extern "C" __attribute__((visibility("default")))

NWK_EXPORT CForeignHandlerBase* CreateForeignHandler(long long jobId) {
  try {
    return new CForeignHandlerNWK(jobId);
  } catch (...) {
    return nullptr;  // nothing may cross the plug-in boundary as an exception
  }
}

NWK_EXPORT void DestroyForeignHandler(CForeignHandlerBase* handler) { delete handler; }
