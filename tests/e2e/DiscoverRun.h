// A fixture that runs nwk-discover as a real process with this build's
// plug-in, in a results folder of its own, with the time zone pinned (the
// server's own client carries it in the XML).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestUtil.h"

class DiscoverRun : public ::testing::Test {
 protected:
  int Discover(const std::string& out, std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {NWK_DISCOVER_BIN, "--plugin", NWK_PLUGIN_PATH, "--out", out});
    env.push_back("TZ=UTC");
    return testutil::RunProgram(args, env, &output_);
  }
  testutil::ScopedTempDir dir_;
  std::string output_;
};
