// demo_run_test.cpp: the demo script starts the server, the holders and the tool, and leaves
// nothing running when the tool closes or when the script is interrupted.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/engine/reliability/harness.h"

namespace {

namespace fs = std::filesystem;
using reliability::Child;
using reliability::TempDir;
using reliability::waitForFile;

// A stand-in for the tool: checks that its copy runs with ads.ini beside it and that every
// holder is there, then either exits with 7 at once or, with DEMO_TEST_TOOL_WAITS set, waits
// to be stopped.
constexpr const char* kFakeTool = R"sh(#!/bin/sh
here=$(dirname "$0")
[ "$here/Brevantis" = "$BREVANTIS_DEMO_TOOL" ] || exit 2
[ -f "$here/ads.ini" ] || exit 3
[ "$(ls "$here"/../run/*.ready | wc -l)" -ge 7 ] || exit 4
[ -n "$DEMO_TEST_TOOL_WAITS" ] && sleep 60
exit 7
)sh";

class DemoRun : public ::testing::Test {
  protected:
    void SetUp() override {
        const fs::path bin = fs::path(dir_.path()) / "bin";
        fs::create_directories(bin);
        for (const char* name : {"demodata", "enginesrv", "lockholder", "libengine.so"}) {
            fs::create_symlink(reliability::binPath(name), bin / name);
        }
        std::ofstream(bin / "Brevantis") << kFakeTool;
        fs::permissions(bin / "Brevantis", fs::perms::owner_all);
        ::setenv("DISPLAY", ":77", 1);  // the stand-in needs no X server
        script_ = (fs::path(BREVANTIS_SOURCE_DIR) / "scripts/demo/run.sh").string();
    }
    void TearDown() override { ::unsetenv("DEMO_TEST_TOOL_WAITS"); }

    fs::path run() const { return fs::path(dir_.path()) / "demo/run"; }

    // Process ids the script wrote: the server, the holders (first word of each ready
    // file) and the tool.
    std::vector<pid_t> startedPids() const {
        std::vector<pid_t> pids;
        for (const auto& e : fs::directory_iterator(run())) {
            const std::string ext = e.path().extension().string();
            if (ext != ".ready" && ext != ".pid") continue;
            pid_t pid = 0;
            std::ifstream(e.path()) >> pid;
            if (pid > 0) pids.push_back(pid);
        }
        return pids;
    }

    void expectNothingLeft() const {
        EXPECT_FALSE(fs::exists(fs::path(dir_.path()) / "bin/ads.ini"))
            << "the demo writes beside its own copy of the tool only";
        const auto pids = startedPids();
        EXPECT_GE(pids.size(), 9u);  // server, 6 holders, the workload, the tool
        for (pid_t pid : pids) EXPECT_NE(::kill(pid, 0), 0) << "process " << pid << " still runs";
        EXPECT_FALSE(fs::exists(run() / "enginesrv.sock")) << "server did not stop cleanly";
    }

    TempDir dir_{"demo-run"};
    std::string script_;
};

TEST_F(DemoRun, EverythingStopsWhenTheToolCloses) {
    Child script("/bin/bash", {script_, dir_.path()}, dir_.path() + "/script.log");
    EXPECT_EQ(script.wait(60000), 7) << "the tool's exit status is the script's";
    expectNothingLeft();
}

TEST_F(DemoRun, RunsAGivenCommandInPlaceOfTheTool) {
    // What the screenshots script does: its own driver, with the server and the tool's copy.
    const std::string probe =
        "[ -S \"${BREVANTIS_ENGINE_ADDRESS#unix:}\" ] && exec \"$BREVANTIS_DEMO_TOOL\"";
    Child script("/bin/bash", {script_, dir_.path(), "/bin/sh", "-c", probe},
                 dir_.path() + "/script.log");
    EXPECT_EQ(script.wait(60000), 7);
    expectNothingLeft();
}

TEST_F(DemoRun, EverythingStopsWhenTheScriptIsInterrupted) {
    ::setenv("DEMO_TEST_TOOL_WAITS", "1", 1);
    Child script("/bin/bash", {script_, dir_.path()}, dir_.path() + "/script.log");
    ASSERT_TRUE(waitForFile((run() / "tool.pid").string(), 60000));
    ::usleep(300000);
    script.signal(SIGTERM);
    EXPECT_EQ(script.wait(15000), 143);
    expectNothingLeft();
}

}  // namespace
