#include "transfer/topic_pack.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "support/temp_dir.h"

namespace talvoro::test {
namespace {

using transfer::PackStatus;

std::string Le32(std::uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

std::string Deflated(const std::string& data) {
    uLongf size = compressBound(data.size());
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size,
             reinterpret_cast<const Bytef*>(data.data()), data.size());
    out.resize(size);
    return out;
}

std::string Entry(std::uint32_t unpacked, const std::string& stored) {
    return Le32(unpacked) + Le32(static_cast<std::uint32_t>(stored.size())) + stored;
}

class TopicPack : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& content) {
        std::ofstream(dir.file(name), std::ios::binary) << content;
        return dir.file(name);
    }
    TempDir dir;
};

TEST_F(TopicPack, round_trips_compressible_random_and_empty_entries) {
    std::string noise(100'000, '\0');
    std::mt19937 random(7);
    for (char& c : noise) {
        c = static_cast<char>(random());
    }
    const std::string contents[] = {std::string(200'000, 'x') + "{\\rtf1 text}", noise, ""};
    transfer::PackWriter writer(dir.file("pack"));
    for (const std::string& content : contents) {
        EXPECT_TRUE(writer.Add(Write("source", content)));
    }
    ASSERT_TRUE(writer.Finish());
    const std::string pack = ReadFileText(dir.file("pack"));
    // The text went in compressed, the noise raw.
    EXPECT_LT(pack.size(), 5000 + Entry(100'000, noise).size());
    EXPECT_TRUE(pack.ends_with(Entry(100'000, noise) + Entry(0, "")));

    transfer::PackReader reader(dir.file("pack"));
    for (const std::string& content : contents) {
        ASSERT_EQ(reader.Next(dir.file("out")), PackStatus::Entry);
        EXPECT_TRUE(ReadFileText(dir.file("out")) == content);
    }
    EXPECT_EQ(reader.Next(dir.file("out")), PackStatus::End);
}

TEST_F(TopicPack, refuses_bad_packs_without_leaving_the_bad_entry) {
    const std::string text(10'000, 'a');
    const std::string zeros(4u << 20, '\0');
    const struct {
        const char* what;
        std::string pack;
        PackStatus status;
    } cases[] = {
        {"header cut short", Le32(3) + "ab", PackStatus::Truncated},
        {"data cut short after a sound entry", Entry(3, "abc") + Le32(10) + Le32(10) + "abc",
         PackStatus::Truncated},
        {"stream unpacks to less", Entry(20'000, Deflated(text)), PackStatus::SizeMismatch},
        {"bytes after the stream", Entry(10'000, Deflated(text) + "zz"), PackStatus::SizeMismatch},
        {"stream cut inside", Entry(10'000, Deflated(text).substr(0, 10)),
         PackStatus::SizeMismatch},
        {"not a stream", Entry(50, "this is no zlib stream"), PackStatus::Corrupt},
        {"more than the stored bytes can hold", Entry(60u << 20, Deflated("tiny")),
         PackStatus::TooLarge},
        {"above the entry limit", Entry(0xFFFFFFFF, Deflated(zeros)), PackStatus::TooLarge},
        {"a bomb whose header lies", Entry(1000, Deflated(zeros)), PackStatus::SizeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        transfer::PackReader reader(Write("pack", c.pack));
        PackStatus status = reader.Next(dir.file("out"));
        if (status == PackStatus::Entry) {
            EXPECT_EQ(ReadFileText(dir.file("out")), "abc");
            std::filesystem::remove(dir.file("out"));
            status = reader.Next(dir.file("out"));
        }
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(reader.Next(dir.file("out")), c.status);  // and stays refused
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
            << "the bad entry or a temporary file was left";
    }
}

TEST(TopicPackNames, takes_the_view_number_and_a_plain_name_from_each_line) {
    const auto lines = transfer::ParsePackNames("501Chat.rtf\n502../../x.rtf\r\n\n", 0);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(std::tie(lines[0].view, lines[0].fileName), std::tuple(501, "501Chat.rtf"));
    EXPECT_EQ(std::tie(lines[1].view, lines[1].fileName), std::tuple(502, "x.rtf"));
    EXPECT_EQ(lines[2].fileName, "Unnamed19700101-000000.xxx");
}

}  // namespace
}  // namespace talvoro::test
