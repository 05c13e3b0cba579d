// The operator's side of the sticky-topic bootstrap: a task thread asks, the GUI thread saves the
// topics' text, the task thread packs it; a GUI that does not answer in time yields no pack.

#include "ui/operator_observer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "chat/chat_fixture.h"
#include "chat/rtf_reader.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "transfer/topic_contents.h"

namespace talvoro::ui {
namespace {

using namespace std::chrono_literals;

class OperatorPack : public test::ChatFixture {
  protected:
    void SetUp() override {
        StartClient();
        Welcome();
        Receive(net::TopicOpen{1, "Alpha", true, {}}.Encode());
        Receive(net::TopicOpen{1, "Beta", true, {}}.Encode());
        Receive(net::TopicClose{1, 1}.Encode());  // Beta moves to tab 1 and keeps view 502
        Receive(net::TopicOpen{1, "Gamma", true, {}}.Encode());  // tab 2 takes view 501
        Receive(net::TopicOpen{1, "Delta", true, {}}.Encode());  // tab 3, left empty
        SetText("Beta", "beta text");
        SetText("Gamma", "gamma text");
        ASSERT_EQ(ctx().topics.AtTab(1)->view, 502);  // the operator's views are swapped
    }

    void SetText(const std::string& title, const std::string& text) {
        for (const chat::TopicRecord& record : ctx().topics.Records()) {
            if (record.title == title) {
                ASSERT_TRUE(client->LoadTopicContent(record.view, "{\\rtf1 " + text + "}"));
            }
        }
    }

    // Saves for real, counting the saves.
    void Attach(OperatorObserver& observer) {
        OperatorHandlers handlers;
        handlers.saveStickyTopics = [this](const std::string& dir, const auto& topics) {
            ++saves;
            return SaveStickyTopics(ctx(), dir, topics);
        };
        observer.Attach(std::move(handlers));
    }

    // PackStickyTopics on a thread of its own while this (GUI) thread runs what it posts.
    server::TopicPack PackOnTask(OperatorObserver& observer, bool answer) {
        server::TopicPack pack;
        std::atomic<bool> done{false};
        std::thread task([&] {
            pack = observer.PackStickyTopics(request, work);
            done.store(true);
        });
        EXPECT_TRUE(test::WaitUntil([&] {
            if (answer) {
                gui.RunPending();
            }
            return done.load();
        }));
        task.join();
        return pack;
    }

    int saves = 0;
    test::TempDir temp;
    const std::string work = temp.dir();
    server::StickyTopicsRequest request{
        7, "127.0.0.2", {{1, "Beta"}, {2, "Gamma"}, {3, "Delta"}, {1, "Renamed"}, {9, "None"}}};
};

TEST_F(OperatorPack, saves_topics_with_text_under_the_views_a_newcomer_shows_and_packs_them) {
    OperatorObserver observer(gui);
    Attach(observer);

    const server::TopicPack pack = PackOnTask(observer, true);
    EXPECT_EQ(saves, 1);
    ASSERT_EQ(pack.fault, "");
    EXPECT_EQ(pack.path, work + "_#_7_#_.kwp");
    EXPECT_EQ(pack.names, "501Beta.rtf\n502Gamma.rtf\n");
    const transfer::UnpackedTopics unpacked =
        transfer::UnpackTopicContents(pack.path, pack.names, temp.dir());
    ASSERT_EQ(unpacked.contents.size(), 2U) << unpacked.fault;
    EXPECT_EQ(unpacked.contents[0].view, 501);
    EXPECT_NE(unpacked.contents[0].rtf.find("beta text"), std::string::npos);
    EXPECT_EQ(unpacked.contents[1].view, 502);
    EXPECT_NE(unpacked.contents[1].rtf.find("gamma text"), std::string::npos);
    // Only the pack is left: the saved files went into it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(OperatorPack, a_window_that_does_not_answer_in_time_gives_no_pack_and_saves_nothing_later) {
    OperatorObserver observer(gui, 30ms);
    Attach(observer);

    const server::TopicPack pack = PackOnTask(observer, false);
    EXPECT_EQ(pack.path, "");
    EXPECT_NE(pack.fault, "");
    EXPECT_EQ(gui.RunPending(), 1);  // the late request runs, but saves nothing
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(std::filesystem::is_empty(work));
}

}  // namespace
}  // namespace talvoro::ui
