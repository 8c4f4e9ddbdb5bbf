// Loads the installed plug-in through NWK_PLUGIN_LIBRARY, as a host would:
// dlopen, look up the factory, make a handler and destroy it.
#include <dlfcn.h>

#include <cstdio>

#include "hx/HandlerBase.h"

int main() {
  void* library = dlopen(NWK_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    std::fprintf(stderr, "package-consumer: cannot load %s: %s\n", NWK_PLUGIN_LIBRARY, dlerror());
    return 1;
  }
  auto create = reinterpret_cast<CreateForeignHandlerFn>(dlsym(library, "CreateForeignHandler"));
  auto destroy = reinterpret_cast<DestroyForeignHandlerFn>(dlsym(library, "DestroyForeignHandler"));
  if (!create || !destroy) {
    std::fprintf(stderr, "package-consumer: %s does not export the factory\n", NWK_PLUGIN_LIBRARY);
    return 1;
  }
  CForeignHandlerBase* handler = create(0);
  if (!handler) {
    std::fprintf(stderr, "package-consumer: the factory made no handler\n");
    return 1;
  }
  destroy(handler);
  dlclose(library);
  std::printf("package-consumer: loaded %s and made a handler\n", NWK_PLUGIN_LIBRARY);
  return 0;
}
