// The built headless server as a whole: its console operator holds the first roster record, chats
// both ways and kicks; it serves on without input, refuses a taken port with status 13 and ends
// through the orderly shutdown on SIGTERM. TALVORO_SERVER_PROGRAM in the environment runs
// another build of it (CI points it at the installed package).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

#include "net/messages.h"
#include "net/transport.h"
#include "support/program_process.h"
#include "support/raw_client.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace talvoro {
namespace {

using namespace std::chrono_literals;
using test::RawClient;
using test::TempDir;

std::string ServerProgram() {
    const char* other = std::getenv("TALVORO_SERVER_PROGRAM");
    return other != nullptr && *other != '\0' ? other : TALVORO_SERVER_PROGRAM;
}

class HeadlessServerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(net::NetInit());  // a server that stops reading must not end the test
        ASSERT_NE(port_, 0);
        std::ofstream(data_.file("Talvoro.ini"), std::ios::binary)
            << "[Prefs]\r\nUserName=Operator\r\nPort=" << port_
            << "\r\nAwayMessage=0\r\nKeepAlive=0\r\n";
        server_ = Start(data_);
        ASSERT_TRUE(test::WaitUntil([&] { return server_->Exited() || Joined(); }, 30s, 10ms))
            << Output();
        ASSERT_FALSE(server_->Exited()) << Output();
    }

    std::unique_ptr<test::ProgramProcess> Start(const TempDir& data) {
        return std::make_unique<test::ProgramProcess>(
            ServerProgram(), std::vector<std::string>{data.dir()},
            std::vector<std::string>{"XDG_DATA_HOME=" + xdg_.dir()},
            test::ProgramIo{true, data.file("console.txt")});
    }

    std::string Output() const { return test::ReadFileText(data_.file("console.txt")); }
    bool Joined() const {
        return Output().find("** You have joined server Operator") != std::string::npos;
    }
    bool Printed(const std::string& part) const {
        return test::WaitUntil([&] { return Output().find(part) != std::string::npos; }, 10s, 5ms);
    }

    const std::uint16_t port_ = test::FreeLoopbackPort();
    TempDir data_;
    TempDir xdg_;
    std::unique_ptr<test::ProgramProcess> server_;
};

TEST_F(HeadlessServerTest,
       console_operator_chats_and_kicks_serves_on_without_input_and_refuses_a_taken_port) {
    RawClient alice(port_);
    ASSERT_TRUE(alice.SendLogon("alice"));
    const std::optional<net::UserRoster> welcome = alice.ReceiveMessage<net::UserRoster>();
    ASSERT_TRUE(welcome.has_value());
    ASSERT_EQ(welcome->users.size(), 2U);
    EXPECT_EQ(welcome->users[0].name, "Operator");

    // Console -> client: UTF-8 typed, Windows-1252 on the wire.
    ASSERT_TRUE(
        server_->WriteInput("Gr\xC3\xBC\xC3\x9F"
                            "e from the console\n"));
    EXPECT_EQ(alice.ReceiveMessage<net::PublicMessage>().value_or(net::PublicMessage{}).text,
              "Gr\xFC\xDF"
              "e from the console");
    // Client -> console, in "Main" and in a topic (its lines carry the topic's caption).
    ASSERT_TRUE(alice.Send(net::PublicMessageToServer{"hi operator"}.Encode()));
    EXPECT_TRUE(Printed("alice: hi operator")) << Output();
    ASSERT_TRUE(alice.Send(net::TopicOpenToServer{"Lunch", false}.Encode()));
    ASSERT_TRUE(alice.Send(1, net::PublicMessageToServer{"pizza?"}.Encode()));
    EXPECT_TRUE(Printed("[Lunch] [")) << Output();
    EXPECT_TRUE(Printed("alice: pizza?")) << Output();

    ASSERT_TRUE(server_->WriteInput("**kick alice\n"));
    EXPECT_TRUE(alice.WaitClosed());
    EXPECT_TRUE(Printed("** alice has been kicked from server")) << Output();

    server_->CloseInput();  // as under a service manager: standard input at its end
    RawClient carol(port_);
    EXPECT_NE(carol.LogOn("carol"), 0);

    TempDir second;
    std::ofstream(second.file("Talvoro.ini"), std::ios::binary)
        << "[Prefs]\r\nPort=" << port_ << "\r\n";
    const auto taken = Start(second);
    const int status = taken->WaitForStatus();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 13);
    EXPECT_EQ(test::LogLines(second.file("Talvoro.log")).size(), 1U);  // the start line only

    server_->Signal(SIGTERM);
    const int ended = server_->WaitForStatus();
    ASSERT_TRUE(WIFEXITED(ended)) << "status " << ended;
    EXPECT_EQ(WEXITSTATUS(ended), 0);
    const std::vector<std::string> lines = test::LogLines(data_.file("Talvoro.log"));
    ASSERT_GE(lines.size(), 3U);
    EXPECT_TRUE(lines[1].ends_with(" INFO: Running as SERVER")) << lines[1];
    EXPECT_TRUE(lines.back().ends_with(" INFO: Terminated")) << lines.back();
    EXPECT_TRUE(carol.WaitClosed());
}

}  // namespace
}  // namespace talvoro
