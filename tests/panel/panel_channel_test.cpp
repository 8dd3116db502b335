// What the power service reads from its channel and from the system: the
// requests, who may send them, and whether a desktop session drives the
// display.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "desktop_session.h"
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
                            "sleep 5 5", " sleep 5", "hold ", "holdx", "nap 5"})
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

bool table_shows_display(const std::string& sockets) {
    std::istringstream table("Num       RefCount Protocol Flags    Type St Inode Path\n" + sockets);
    return unix_sockets_show_a_display_server(table);
}

TEST(DesktopSession, ListeningDisplayServersAndGraphicalSessionsCount) {
    const std::string other = "0000000000000000: 00000002 00000000 00010000 0001 01 20480 /run/ezxpmd/socket\n";
    EXPECT_FALSE(table_shows_display(other));
    EXPECT_TRUE(table_shows_display(other + "0000000000000000: 00000002 00000000 00010000 0001 01 20481 "
                                            "/tmp/.X11-unix/X0\n"));
    EXPECT_TRUE(table_shows_display("0000000000000000: 00000002 00000000 00010000 0001 01 20482 @/tmp/.X11-unix/X1\n"))
        << "the abstract namespace";
    EXPECT_TRUE(table_shows_display("0000000000000000: 00000002 00000000 00010000 0001 01 20483 "
                                    "/run/user/1000/wayland-0\n"));
    EXPECT_FALSE(table_shows_display("0000000000000000: 00000003 00000000 00000000 0001 03 20484 /tmp/.X11-unix/X0\n"))
        << "a connection the X server accepted, not its listener";
    EXPECT_FALSE(table_shows_display("0000000000000000: 00000002 00000000 00000000 0002 01 20485\n"));

    for (const auto& [record, graphical] : std::vector<std::pair<std::string, bool>>{
             {"UID=1000\nTYPE=x11\nACTIVE=1\n", true},
             {"TYPE=wayland\n", true},
             {"UID=0\nTYPE=tty\nCLASS=user\n", false},
             {"REMOTE_HOST=TYPE=x11\n", false}}) {
        std::istringstream in(record);
        EXPECT_EQ(session_record_is_graphical(in), graphical) << record;
    }
}

}  // namespace
