// The agent against a real wlroots compositor (a private headless sway):
// the library starts it or hands it the time, it darkens and lights the
// output as the time says, and the input that wakes the output never
// reaches the window the user sees.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "ezxpm.h"
#include "sway_session.h"
#include "test_support.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

class AgentSession : public testing::Test {
protected:
    void SetUp() override {
        if (!sway_session::installed()) GTEST_SKIP() << "sway is not installed: scripts/setup.sh installs it";
        // Where sway cannot start, the agent cannot be tried: skipped, with
        // sway's own words.
        if (!sway_.running()) GTEST_SKIP() << "the private sway did not start here; its log ends:\n" << sway_.log_tail();
        ::setenv("EZXPM_AGENT", EZXPM_AGENT_BINARY, 1);
        ::setenv("EZXPM_LCD_SLEEP_FILE", (files_.path() + "/record").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("EZXPM_AGENT");
        ::unsetenv("EZXPM_LCD_SLEEP_FILE");
    }

    bool lit_within(milliseconds time, bool lit) {
        return holds_within(time, [&] { return sway_.output_lit() == lit; });
    }
    // Stays as it is for the whole time.
    bool stays_lit(milliseconds time) {
        return !holds_within(time, [&] { return sway_.output_lit() != true; });
    }
    void press_key(const std::string& key) {
        const std::string wtype = program_on_path("wtype");
        ASSERT_FALSE(wtype.empty()) << "wtype is not installed: scripts/setup.sh installs it";
        // The pause lets every client take the new keyboard before the key.
        const program_run typed = run_program(wtype, {"-s", "300", "-k", key});
        EXPECT_EQ(typed.exit_status, 0) << "wtype: " << typed.streams.err << typed.streams.out;
    }
    session_client window(const std::string& name, const std::vector<std::string>& arguments = {}) {
        return session_client(KEY_WINDOW_BINARY, arguments, files_.path() + "/" + name);
    }

    temp_dir files_;
    sway_session sway_;
};

TEST_F(AgentSession, DarkNowAndAtOnceAfterTheIdleTimeWithTheWakingKeySwallowed) {
    session_client shown = window("window");
    ASSERT_TRUE(holds_within(seconds(10), [&] { return shown.output() == "ready\n"; })) << shown.output();

    // 10: dark now. The library started the agent, which has the outputs.
    PM_setupLcdSleepTime(10);
    EXPECT_TRUE(lit_within(seconds(5), false)) << "10 left the output lit";
    EXPECT_EQ(agents_in(sway_.runtime_dir()).size(), 1u);
    press_key("Down");
    EXPECT_TRUE(lit_within(seconds(5), true)) << "a key did not light the output";
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(shown.output(), "ready\n") << "the key that woke the output reached the window";
    // Once woken, the window has the keyboard again and the output stays lit.
    press_key("Down");
    EXPECT_TRUE(holds_within(seconds(5), [&] { return shown.output() != "ready\n"; })) << "keys stay swallowed";
    EXPECT_TRUE(stays_lit(milliseconds(1500))) << "woken after 10, the output slept again";

    // Any other time: dark after that many idle seconds. The agent running
    // gets the time, and no second agent starts.
    const auto agents = agents_in(sway_.runtime_dir());
    const auto start = clock_type::now();
    PM_setupLcdSleepTime(3);
    EXPECT_TRUE(lit_within(seconds(15), false)) << "3 s without input left the output lit";
    const double dark_after = seconds_since(start);
    std::printf("dark after %.2f s of a 3 s idle time\n", dark_after);
    EXPECT_GT(dark_after, 1.5) << "the output went dark long before its idle time";
    EXPECT_EQ(agents_in(sway_.runtime_dir()), agents) << "a second agent started, or the first went";
    press_key("Down");
    EXPECT_TRUE(lit_within(seconds(5), true));
}

TEST_F(AgentSession, ZeroAndAnIdleInhibitorKeepTheOutputLit) {
    PM_setupLcdSleepTime(10);
    ASSERT_TRUE(lit_within(seconds(5), false));
    // 0 lights it and never lets it sleep.
    PM_setupLcdSleepTime(0);
    EXPECT_TRUE(lit_within(seconds(5), true)) << "0 left the output dark";
    EXPECT_TRUE(stays_lit(seconds(4))) << "0 let the output sleep";

    // A shown window that inhibits idling, as a playing clip does.
    session_client clip = window("clip", {"--inhibit-idle"});
    ASSERT_TRUE(holds_within(seconds(10), [&] { return clip.output() == "ready\n"; })) << clip.output();
    PM_setupLcdSleepTime(2);
    EXPECT_TRUE(stays_lit(seconds(6))) << "the output slept under an idle inhibitor";
}

TEST_F(AgentSession, ADeadAgentIsReplacedAndAGoneCompositorEndsTheAgent) {
    PM_setupLcdSleepTime(0);
    ASSERT_TRUE(holds_within(seconds(5), [&] { return agents_in(sway_.runtime_dir()).size() == 1; }));
    const pid_t first = agents_in(sway_.runtime_dir()).front();
    // Killed, it leaves its socket behind: the next call starts a new agent.
    ::kill(first, SIGKILL);
    ASSERT_TRUE(holds_within(seconds(5), [&] { return agents_in(sway_.runtime_dir()).empty(); }));
    PM_setupLcdSleepTime(10);
    EXPECT_TRUE(lit_within(seconds(5), false)) << "no new agent took the time";
    const auto agents = agents_in(sway_.runtime_dir());
    ASSERT_EQ(agents.size(), 1u);
    EXPECT_NE(agents.front(), first);

    sway_.kill();
    EXPECT_TRUE(holds_within(seconds(5), [&] { return agents_in(sway_.runtime_dir()).empty(); }))
        << "the agent outlived its compositor";
    // The compositor's socket is still there, but nobody listens.
    const auto start = clock_type::now();
    PM_setupLcdSleepTime(45);
    const double took = seconds_since(start);
    std::printf("the library returned after %.3f s with the compositor gone\n", took);
    EXPECT_LT(took, 1.5);
    EXPECT_TRUE(agents_in(sway_.runtime_dir()).empty()) << "an agent started for a compositor that is gone";
}

}  // namespace
