// What the power service reads from its channel and from the system: the
// requests, who may send them, and where display servers listen.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "display_sockets.h"
#include "panel_channel.h"
#include "peer_credentials.h"

namespace {

TEST(PanelChannel, ReadsWellFormedRequestsOnly) {
    for (int seconds : {0, 10, 45, -1, 2147483647, -2147483647 - 1}) {
        const std::optional<panel_request> request = parse_panel_request(sleep_request(seconds));
        ASSERT_TRUE(request) << seconds;
        EXPECT_EQ(request->what, panel_request::kind::sleep);
        EXPECT_EQ(request->seconds, seconds);
    }
    ASSERT_TRUE(parse_panel_request("hold"));
    EXPECT_EQ(parse_panel_request("hold")->what, panel_request::kind::hold);
    for (const char* bad : {"", "sleep", "sleep ", "sleep -", "sleep 2147483648", "sleep 0x10", "sleep 1.5",
                            "sleep 5 5", " sleep 5", "hold ", "holdx", "nap 5", "sleep 010", "sleep -010", "sleep 00",
                            "sleep -0"})
        EXPECT_FALSE(parse_panel_request(bad)) << bad;
}

TEST(PanelChannel, OnlyRootTheServicesUserAndTheVideoGroupMayUseThePanel) {
    const gid_t video = 44, users = 100;
    const uid_t service = 0, user = 1000;
    EXPECT_TRUE(may_use_panel({0, {0}}, service, video));
    EXPECT_TRUE(may_use_panel({user, {video}}, service, video)) << "video as the primary group";
    EXPECT_TRUE(may_use_panel({user, {users, 24, video}}, service, video)) << "video as a supplementary group";
    EXPECT_FALSE(may_use_panel({user, {users, 24}}, service, video));
    EXPECT_FALSE(may_use_panel({user, {users}}, service, std::nullopt)) << "a system without a video group";
    EXPECT_TRUE(may_use_panel({user, {users}}, user, video)) << "a service run by the user serves that user";

    EXPECT_EQ(groups_in_status("Name:\tsh\nUid:\t1000\t1000\t1000\t1000\nGroups:\t24 44 100 \nNSpid:\t7\n"),
              (std::vector<gid_t>{24, 44, 100}));
    EXPECT_EQ(groups_in_status("Name:\tsh\nGroups:\t\n"), std::vector<gid_t>{});
}

TEST(DisplaySockets, OnlyAnXServersOrAWaylandCompositorsPathCounts) {
    for (const auto& [root, path, display] : std::vector<std::tuple<std::string, std::string, bool>>{
             {"", "/tmp/.X11-unix/X0", true},
             {"", "/run/user/1000/wayland-0", true},
             {"", "@/tmp/.X11-unix/X0", false},
             {"", "/tmp/.X11-unix/X0/x", false},
             {"", "/run/user/1000/wayland-0.lock", false},
             {"", "/run/user/1000/sub/wayland-0", false},
             {"", "/home/me/wayland-0", false},
             {"/tree", "/tree/tmp/.X11-unix/X0", true},
             {"/tree", "/tmp/.X11-unix/X0", false},
         })
        EXPECT_EQ(is_display_socket_path(root, path), display) << root << " " << path;
}

}  // namespace
