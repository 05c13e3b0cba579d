// Faults around the real server thread on loopback: a client that vanishes in the middle of a
// frame, and a data folder that cannot be written (not a folder, or a full disk) under the event
// log and the archives.

#include <filesystem>
#include <fstream>

#include "chat/archive_file.h"
#include "net/messages.h"
#include "server/server_fixture.h"

namespace talvoro::server {
namespace {

// A vanished process closes its socket like any close: half a frame stays unread and the others
// see it quit and talk on.
TEST_F(ServerLoopback, a_client_gone_mid_frame_leaves_the_rest_unharmed) {
    Client watcher = Join("watcher");
    Client ann = Join("ann");
    Client dead = Join("dead");
    const std::string half = net::EncodeFrame(0, Say("never finished")).value();
    ASSERT_TRUE(dead->SendBytes(half.substr(0, half.size() / 2)));
    dead->Close();

    const auto quit = watcher->ReceiveMessage<net::UserQuit>();
    ASSERT_TRUE(quit);
    EXPECT_EQ(*quit, (net::UserQuit{ids["dead"], "** dead has quit"}));
    ASSERT_TRUE(ann->Send(Say("still here")));
    EXPECT_EQ(PublicOf(watcher->ReceiveKind(kPublic)), From("ann", "still here"));
}

// The event log and the archives in a folder that cannot take files: the server serves on, the
// log says so once on stderr, an archive is refused and leaves nothing behind.
TEST(UnwritableData, log_and_archives_fail_quietly_and_the_server_serves_on) {
    test::TempDir dir;
    std::ofstream(dir.file("plain")) << "a file where the data folder should be";
    std::filesystem::create_symlink("/dev/full", dir.path() / "full.log");
    const std::string notAFolder = dir.file("plain") + "/data/";
    for (const std::string& logPath : {notAFolder + "Talvoro.log", dir.file("full.log")}) {
        SCOPED_TRACE(logPath);
        testing::internal::CaptureStderr();
        {
            app::EventLog log(logPath);
            app::ProcessState process;
            process.settings.Host = "127.0.0.1";
            RecordingObserver observer;
            ChatServer server(process, &log, observer);
            ASSERT_TRUE(server.Start(0, "127.0.0.1"));
            test::RawClient ann(server.Port());
            EXPECT_NE(ann.LogOn("ann"), 0);
            log.LogEvent(true, "one more event");
        }
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_EQ(errors.rfind("Talvoro: cannot write the event log " + logPath + ": ", 0), 0U)
            << errors;
    }
    chat::ChatDocument document;
    document.Append({"some text\n"});
    EXPECT_FALSE(chat::WriteArchive(notAFolder + "Main.rtf", document));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace talvoro::server
