#include "chat/user_details.h"

#include <gtest/gtest.h>

namespace talvoro::chat {
namespace {

TEST(UserDetails, six_lines_with_padded_colour_and_file_receive_state) {
    OnlineUser user;
    user.id = 1500;
    user.name = "ann";
    user.address = "192.168.1.20";
    user.logonTime = 1110899106;  // 2005-03-15 15:05:06
    user.color = 0x0080FF;        // red 255, green 128, blue 0
    user.version = 1550;
    EXPECT_EQ(UserDetailsTitle(user), "User Detail: ann");
    EXPECT_EQ(UserDetailsText(user, true),
              "Network ID: #1500\nIP Address: 192.168.1.20\nLogon: 15-03-05 15:05:06\n"
              "RGB Color: 255 128 000 \nFile Receive: Disabled\nClient Version: 1.5.5.0");
    user.color = 0xAA0000;
    const std::string allowed = UserDetailsText(user, false);
    EXPECT_NE(allowed.find("\nRGB Color: 000 000 170 \n"), std::string::npos);
    EXPECT_NE(allowed.find("\nFile Receive: Allowed\n"), std::string::npos);
}

}  // namespace
}  // namespace talvoro::chat
