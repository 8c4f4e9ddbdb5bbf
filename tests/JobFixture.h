// A fixture that gives each test its own results directory and job context,
// and puts the process-wide state back afterwards.
#pragma once

#include <gtest/gtest.h>

#include "TestUtil.h"
#include "handler/CForeignHandlerNWK.h"
#include "hx/CmdExecBase.h"
#include "hx/JobContext.h"
#include "hx/Log.h"

class JobFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = hx::JobContext::Current();
    hx::JobContext& job = hx::JobContext::Current();
    job = hx::JobContext();
    job.resultsDir = dir_.path();
    job.offline = true;
    CForeignCmdExecBase::set_UseExistingFiles(false);
    ServerFacts::Current() = ServerFacts();
    hx::LogSink::SetCapture(true);
  }
  void TearDown() override {
    hx::JobContext::Current() = saved_;
    CForeignCmdExecBase::set_UseExistingFiles(false);
    ServerFacts::Current() = ServerFacts();
    hx::LogSink::SetCapture(false);
  }
  std::string Results(const std::string& name) const { return dir_ / name; }
  void GivenReport(const std::string& name, const std::string& text) { testutil::WriteFile(dir_ / name, text); }
  std::string Log() const { return hx::LogSink::Captured(); }

  testutil::ScopedTempDir dir_;
  hx::JobContext saved_;
};
