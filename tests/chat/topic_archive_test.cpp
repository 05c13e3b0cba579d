// Topic requests (close rule, information box), archive names, and the topics across a restart of
// the server's own client: archives, "Topics.ini", and the restore through the server.

#include "chat/topic_archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/ini_file.h"
#include "chat/archive_file.h"
#include "chat/topic_requests.h"
#include "chat_fixture.h"
#include "support/temp_dir.h"

namespace talvoro::chat {
namespace {

constexpr std::int32_t kDate = 1796635805;  // 2026-12-07 09:30:05

class TopicArchive : public test::ChatFixture {
  protected:
    void SetUp() override {
        state.DataDir = dir.dir();
        std::filesystem::create_directories(dir.path() / "Topics");
        StartClient();
        Welcome();
    }
    void Open(std::int32_t owner, std::string title, bool sticky,
              std::optional<std::int32_t> spawned = {}) {
        Receive(net::TopicOpen{owner, std::move(title), sticky, spawned}.Encode());
    }
    // A restart: a new client in this process, welcomed again, with what it sent.
    std::vector<std::string> Restart() {
        state.UnreadTabs = {};
        state.ServerRunning = true;
        view = test::RecordingView{};
        StartClient();
        link.sent.clear();
        ReceiveRoster({test::User(1, "srv"), test::User(9, "alice")});
        return link.sent;
    }

    test::TempDir dir;
};

TEST_F(TopicArchive, close_is_offered_to_the_server_the_owner_or_for_an_ownerless_topic) {
    Open(9, "mine", false);
    Open(5, "bobs", false);
    Open(6, "cids", false);
    Receive(net::UserQuit{6, "** cid has quit"}.Encode());  // owner 0 from now on
    struct Case {
        bool server;
        int position;
        bool sent;
    };
    for (const Case c : {Case{false, 1, true}, Case{false, 2, false}, Case{false, 3, true},
                         Case{false, 4, false}, Case{true, 0, false}, Case{true, 2, true}}) {
        state.ServerRunning = c.server;
        link.sent.clear();
        EXPECT_EQ(client->RequestClose(c.position), c.sent) << c.server << c.position;
        EXPECT_EQ(link.sent.size(), c.sent ? 1U : 0U);
    }
    EXPECT_EQ(link.sent.front(), net::TopicCloseToServer{2}.Encode());
}

TEST_F(TopicArchive, topic_information_names_index_owner_spawn_time_and_stickiness) {
    Open(9, "Ops", true, kDate);
    client->SelectTab(1);
    const TopicInfo info = TopicInfoOfSelectedTab(ctx());
    EXPECT_EQ(info.title, "Topic Info: Ops");
    EXPECT_EQ(info.text,
              "Topic Index: #501 (2/5)\nTopic Owner: alice\nSpawned: 07-12-26 09:30:05\n"
              "Sticky Messages: Yes");
}

TEST_F(TopicArchive, topics_and_their_content_survive_a_shutdown_and_restart) {
    state.ServerRunning = true;
    Open(9, "Sticky", true);
    Open(5, "a/b", false);
    Receive(net::PublicMessage{5, "kept for later"}.Encode(), 1);
    Receive(net::PublicMessage{5, "in main"}.Encode(), 0);
    Open(5, "Gone", true);
    Receive(net::PublicMessage{5, "archived at its close"}.Encode(), 3);
    Receive(net::TopicClose{5, 3}.Encode());
    ASSERT_TRUE(client->SaveTopicsAtShutdown());

    std::set<std::string> archives;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "Topics")) {
        const std::string name = entry.path().filename().string();
        archives.insert(name.substr(0, name.find('@')));
    }
    EXPECT_EQ(archives, (std::set<std::string>{"0_alice_Main", "1_alice_Sticky", "3_alice_Gone"}));

    // The restarted server's own client announces the saved topics through the server ...
    EXPECT_EQ(Restart(), (std::vector<std::string>{net::TopicOpenToServer{"Sticky", true}.Encode(),
                                                   net::TopicOpenToServer{"a/b", false}.Encode()}));
    EXPECT_EQ(ctx().topics.TopicCount(), 0);
    // ... and the announcements coming back open the tabs without a spawn line, the sticky one
    // with its saved text and an unread mark.
    Open(9, "Sticky", true);
    Open(9, "a/b", false);
    Open(9, "Sticky2", false);  // not restored: announced as usual
    EXPECT_EQ(view.Lines(kMainView).size(), 3U) << view.Text(kMainView);  // welcome, joined, spawn
    EXPECT_TRUE(view.LastLine(kMainView).starts_with("** Topic <Sticky2> has been spawned"));
    EXPECT_TRUE(view.Text(kFirstTopicView).ends_with("#5: kept for later\n"));
    EXPECT_EQ(state.UnreadTabs[1], 1);
    EXPECT_EQ(state.UnreadTabs[2], 0);
    EXPECT_TRUE(ctx().pendingRestores.empty());
}

// A late joiner's sticky topics from the server: only a view that shows a topic takes text.
TEST_F(TopicArchive, server_topic_content_loads_only_into_an_open_topic_view) {
    Open(9, "News", true);
    const std::string rtf = "{\\rtf1 from the server\\par}";
    EXPECT_FALSE(client->LoadTopicContent(kMainView, rtf));
    EXPECT_FALSE(client->LoadTopicContent(kFirstTopicView + 1, rtf));  // no such topic
    EXPECT_FALSE(client->LoadTopicContent(kFirstTopicView, "plain text"));
    EXPECT_EQ(state.UnreadTabs[1], 0);
    EXPECT_TRUE(client->LoadTopicContent(kFirstTopicView, rtf));
    EXPECT_EQ(view.Text(kFirstTopicView), "from the server\n");
    EXPECT_EQ(state.UnreadTabs[1], 1);
}

TEST_F(TopicArchive, a_damaged_topics_ini_restores_what_is_sound) {
    app::IniWriter ini("Prefs");
    ini.AddText("TopicTitle1", "Main");  // a fixed tab's title: skipped
    ini.AddText("TopicTitle2", "Junk\x01 & more");
    ini.AddNumber("TopicSticky2", 1);
    ini.AddText("TopicFilename2", dir.file("junk.rtf"));
    ini.AddText("TopicTitle3", "Folder");
    ini.AddNumber("TopicSticky3", 1);
    ini.AddText("TopicFilename3", dir.dir() + "Topics");
    ini.AddText("TopicTitle4", "Fourth");
    ASSERT_TRUE(ini.WriteTo(dir.file("Topics.ini")));
    {
        std::ofstream junk(dir.file("junk.rtf"), std::ios::binary);
        junk << std::string("\0\xff{\\rtf", 7) << "not rich text";
    }
    EXPECT_EQ(Restart(),
              (std::vector<std::string>{net::TopicOpenToServer{"Junk  + more", true}.Encode(),
                                        net::TopicOpenToServer{"Folder", true}.Encode()}));
    Open(9, "Junk  + more", true);
    Open(9, "Folder", true);
    EXPECT_EQ(ctx().topics.TopicCount(), 2);
    EXPECT_TRUE(view.Text(kFirstTopicView).empty());
    EXPECT_TRUE(view.Text(kFirstTopicView + 1).empty());
    EXPECT_EQ(state.UnreadTabs[1] + state.UnreadTabs[2], 0);
}

TEST(ArchiveNames, every_piece_from_people_is_reduced_to_a_plain_file_name) {
    struct Case {
        int position;
        std::string title;
        std::string own;
        std::string host;
        std::string name;
    };
    const std::string euros(100, '\x80');
    std::string cutEuros;  // 80 bytes hold 26 whole euro signs of three UTF-8 bytes
    for (int i = 0; i < 26; ++i) {
        cutEuros += "\xE2\x82\xAC";
    }
    const std::vector<Case> cases = {
        {0, "Main", "anna", "chat.lan", "0_anna_Main@chat.lan_20261207-093005.rtf"},
        {2, "a/b", "anna", "chat.lan", "2_anna@chat.lan_20261207-093005.rtf"},
        {1, "..", "../x", "h:1/2", "1__._x__.@h_1_2_20261207-093005.rtf"},
        {3, "Caf\xE9\x7F\x81", "\t", "", "3___Caf\xC3\xA9__@_20261207-093005.rtf"},
        {1, std::string(300, 't'), std::string(100, 'n'), "h",
         "1_" + std::string(64, 'n') + "_" + std::string(80, 't') + "@h_20261207-093005.rtf"},
        {1, euros, "anna", "h", "1_anna_" + cutEuros + "@h_20261207-093005.rtf"},
    };
    for (const Case& c : cases) {
        std::string path =
            AutoArchivePath("/d/Topics/", c.position, c.title, {c.own, c.host, kDate});
        ASSERT_TRUE(path.starts_with("/d/Topics/")) << c.name;
        path.erase(0, 10);
        EXPECT_LE(path.size(), 255u);
        EXPECT_EQ(path.find('/'), std::string::npos);
        EXPECT_EQ(path, c.name);
    }
    // The name offered for saving a session always holds the title, reduced the same way.
    EXPECT_EQ(SaveSessionDefaultPath("/d/Topics/", "a/b", {"../x", "h", kDate}),
              "/d/Topics/_._x_a_b@h_20261207-093005.rtf");
    EXPECT_EQ(SavedTopicPath("/d/TopicsTemp/", 501, "x\\..\\y"), "/d/TopicsTemp/501x_.._y.rtf");
    EXPECT_EQ(ArchiveFolder("/d/"), "/d/Topics/");
}

}  // namespace
}  // namespace talvoro::chat
