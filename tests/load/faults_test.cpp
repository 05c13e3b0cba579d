// Faults around the real server thread on loopback: clients killed with SIGKILL in the middle of a
// frame or a file block, the server process killed while client sessions chat, and a data folder
// that cannot be written (not a folder, or a full disk) under the event log and the archives.
// Killed peers are forked child processes; each child only makes system calls on bytes prepared
// before the fork, and an alarm ends it should the test die first.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "chat/archive_file.h"
#include "chat/chat_client.h"
#include "net/client_session.h"
#include "net/messages.h"
#include "server/server_fixture.h"
#include "support/fake_clock.h"
#include "support/recording_view.h"

namespace talvoro::server {
namespace {

using namespace std::chrono_literals;
constexpr auto kPublicCode = static_cast<std::uint8_t>(net::MessageKind::PublicMessage);

std::string Wire(const std::string& payload) {
    return net::EncodeFrame(0, payload).value();
}
std::string LogonFrame(const std::string& name) {
    return Wire(net::Logon{name, 255, 1600, 1550, false}.Encode());
}

// Waits up to 10 s for one byte on `fd`; true when it came.
bool AwaitByte(int fd) {
    pollfd watched{fd, POLLIN, 0};
    char byte = 0;
    return ::poll(&watched, 1, 10000) == 1 && ::read(fd, &byte, 1) == 1;
}

// A forked client: connects to the server, writes `bytes`, reports that over a pipe and waits to
// be killed. Returns its process id, or -1 when it did not get that far.
pid_t SpawnClient(std::uint16_t port, const std::string& bytes) {
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(60);
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd < 0 ||
            ::connect(fd, reinterpret_cast<const sockaddr*>(&server), sizeof server) != 0) {
            ::_exit(1);
        }
        for (std::size_t at = 0; at < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.data() + at, bytes.size() - at);
            if (n <= 0) {
                ::_exit(1);
            }
            at += static_cast<std::size_t>(n);
        }
        if (::write(ready[1], "r", 1) != 1) {
            ::_exit(1);
        }
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    const bool wrote = pid > 0 && AwaitByte(ready[0]);
    ::close(ready[0]);
    return pid > 0 && !wrote ? (::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0), -1) : pid;
}

// A forked child that is killed and reaped when the test leaves, whatever way it leaves.
class Child {
  public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() { Kill(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return pid_ > 0; }
    // Kills it with SIGKILL; true when it was running and died of that signal.
    bool Kill() {
        int status = 0;
        const bool killed = pid_ > 0 && ::kill(pid_, SIGKILL) == 0 &&
                            ::waitpid(pid_, &status, 0) == pid_ && WIFSIGNALED(status);
        pid_ = -1;
        return killed;
    }

  private:
    pid_t pid_;
};

// Reads frames until a roster names `name` last; that user's id, or 0.
std::int32_t AwaitJoin(test::RawClient& client, const std::string& name) {
    while (auto frame = client.ReceiveKind(net::MessageKind::UserRoster)) {
        const auto roster = net::DecodeFrame<net::UserRoster>(*frame);
        if (roster && !roster->users.empty() && roster->users.back().name == name) {
            return roster->users.back().id;
        }
    }
    return 0;
}

TEST_F(ServerLoopback, clients_killed_mid_message_and_mid_file_block_leave_the_rest_unharmed) {
    Client watcher = Join("watcher");
    Client ann = Join("ann");
    const std::string half = Wire(Say("never finished"));
    std::string fileBlock = Wire(net::FileHeader{"dead2", "big.bin"}.Encode());
    fileBlock += std::string("KWMGSFLE\x40\x42\x0F\x00", 12);  // announces 1,000,000 bytes
    fileBlock += std::string(50'000, 'f');                     // of which 50,000 come
    struct Case {
        std::string name;
        std::string bytes;
        bool file;
    };
    for (const Case& c :
         {Case{"dead1", LogonFrame("dead1") + half.substr(0, half.size() / 2), false},
          Case{"dead2", LogonFrame("dead2") + fileBlock, true}}) {
        SCOPED_TRACE(c.name);
        Child child(SpawnClient(port, c.bytes));
        ASSERT_TRUE(child.started());
        const std::int32_t id = AwaitJoin(*watcher, c.name);
        ASSERT_NE(id, 0);
        if (c.file) {
            ASSERT_TRUE(test::WaitUntil([&] {
                const auto files = observer.seen().files;
                return files.size() == 1 && files[0].data.size() == 50'000;
            }));
        }
        ASSERT_TRUE(child.Kill());

        // The others see the killed client quit and nothing of its unfinished frame; talk goes on.
        const auto quit = watcher->ReceiveMessage<net::UserQuit>();
        ASSERT_TRUE(quit);
        EXPECT_EQ(*quit, (net::UserQuit{id, "** " + c.name + " has quit"}));
        ASSERT_TRUE(ann->Send(Say("still here")));
        std::optional<net::Frame> next;
        while ((next = watcher->Receive()) && next->kind != kPublicCode) {
        }
        ASSERT_TRUE(next);
        EXPECT_EQ(net::DecodeFrame<net::PublicMessage>(*next), From("ann", "still here"));
    }
    const auto files = observer.seen().files;
    ASSERT_EQ(files.size(), 1U);
    EXPECT_EQ(files[0].finished, 1);
    EXPECT_FALSE(files[0].complete);
}

// One chat participant: a client session feeding the chat client that renders into a recording
// view. The test thread plays its GUI thread.
struct Participant {
    explicit Participant(const std::string& name, std::uint16_t port)
        : configured(Configure(state, name, port)),
          session(state, nullptr),
          chat(state, view, session, nullptr, clock.Function()) {
        session.SetEvents(&chat);
        chat.Start();
    }
    // The settings the chat client reads when it is built.
    static bool Configure(app::ProcessState& state, const std::string& name, std::uint16_t port) {
        state.settings.UserName = name;
        state.settings.Host = "127.0.0.1";
        state.settings.Port = port;
        state.WindowShown = true;
        return true;
    }
    // What the program's run loop does with a readable connection; a closed one is reported
    // like a failed send, by sending the heartbeat.
    void Pump() {
        if (watching && !session.OnReadable()) {
            watching = false;
            session.SendToServer(net::Heartbeat{}.Encode());
        }
    }

    app::ProcessState state;
    bool configured;
    test::RecordingView view;
    test::FakeClock clock{test::kTestNoon};
    net::ClientSession session;
    chat::ChatClient chat;
    bool watching = true;
};

// The server in a child process of its own, so that it can be killed; its port comes over a pipe.
pid_t SpawnServer(const std::string& logPath, std::uint16_t& port) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(120);
        app::ProcessState process;
        process.settings.Host = "127.0.0.1";
        app::EventLog log(logPath);
        RecordingObserver observer;
        ChatServer server(process, &log, observer);
        const std::uint16_t listening = server.Start(0, "127.0.0.1") ? server.Port() : 0;
        if (::write(ready[1], &listening, sizeof listening) != sizeof listening) {
            ::_exit(1);
        }
        for (;;) {
            ::pause();
        }
    }
    ::close(ready[1]);
    pollfd watched{ready[0], POLLIN, 0};
    const bool read = pid > 0 && ::poll(&watched, 1, 10000) == 1 &&
                      ::read(ready[0], &port, sizeof port) == sizeof port && port != 0;
    ::close(ready[0]);
    return read ? pid : -1;
}

TEST(ServerKilled, every_client_session_asks_to_reconnect_and_keeps_what_it_showed) {
    test::TempDir dir;
    std::uint16_t port = 0;
    Child server(SpawnServer(dir.file("Talvoro.log"), port));
    ASSERT_TRUE(server.started());
    std::vector<std::unique_ptr<Participant>> people;
    for (const char* name : {"ann", "bob", "cid"}) {
        people.push_back(std::make_unique<Participant>(name, port));
        ASSERT_TRUE(people.back()->session.OpenSession(5000));
        ASSERT_TRUE(people.back()->session.SendLogon());
    }
    const auto pump = [&](auto&& done) {
        return test::WaitUntil([&] {
            for (auto& p : people) {
                p->Pump();
            }
            return done();
        });
    };
    ASSERT_TRUE(pump([&] {
        return std::ranges::all_of(people, [](auto& p) { return p->chat.Context().own.id != 0; });
    }));
    for (int n = 0; n < 5; ++n) {
        for (auto& p : people) {
            p->chat.Send("line " + std::to_string(n));
        }
    }
    const std::string last = "[12:34:56] cid: line 4";
    ASSERT_TRUE(pump(
        [&] { return std::ranges::all_of(people, [&](auto& p) { return p->view.Shows(last); }); }));
    std::vector<std::string> shown;
    for (auto& p : people) {
        shown.push_back(p->view.Text(chat::kMainView));
    }

    ASSERT_TRUE(server.Kill());
    ASSERT_TRUE(pump([&] {
        return std::ranges::all_of(people, [](auto& p) { return !p->view.questions.empty(); });
    }));
    for (std::size_t n = 0; n < people.size(); ++n) {
        const Participant& p = *people[n];
        SCOPED_TRACE(p.state.settings.UserName);
        ASSERT_EQ(p.view.questions.size(), 1U);
        EXPECT_EQ(p.view.questions[0].title, "Talvoro: Network Troubles");
        EXPECT_EQ(p.view.questions[0].text.rfind("Could not communicate with server ", 0), 0U);
        EXPECT_TRUE(p.state.QuitRequested.load());
        EXPECT_EQ(p.view.Text(chat::kMainView).substr(0, shown[n].size()), shown[n]);
    }
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
            test::RawClient bob(server.Port());
            ASSERT_NE(ann.LogOn("ann"), 0);
            ASSERT_NE(bob.LogOn("bob"), 0);
            ASSERT_TRUE(ann.Send(net::PublicMessageToServer{"hi"}.Encode()));
            const auto heard = bob.ReceiveMessage<net::PublicMessage>();
            ASSERT_TRUE(heard);
            EXPECT_EQ(heard->text, "hi");
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
