// nwk-discover: the host process that loads the NetWorker discovery plug-in.
#include <csignal>
#include <cstdio>

#include "Runner.h"
#include "RunnerOptions.h"

int main(int argc, char** argv) {
  // A file size limit reached while writing must fail the write (and be
  // reported), not kill the process half-way.
  std::signal(SIGXFSZ, SIG_IGN);
  nwk::RunnerOptions options;
  std::string error;
  if (!nwk::ParseRunnerOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "nwk-discover: %s\n", error.c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(nwk::UsageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("nwk-discover %s\n", NWK_VERSION);
    return 0;
  }
  return nwk::Runner(std::move(options)).Run();
}
