// The conversion of version resources into blocks, on resources made by windres and damaged
// on purpose.
#include "TestImages.h"

#include "TempDir.h"
#include "kernel/ExecutableImage.h"
#include "platform/version/VersionBlock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using host::detail::BuildAnsiVersionBlock;
using host::detail::ExecutableImage;
using host::detail::QueryAnsiVersionBlock;
using host::detail::ResourceId;

namespace {

const char* const kQueries[] = {"\\",
                                "\\VarFileInfo\\Translation",
                                "\\StringFileInfo\\040904B0\\FileVersion",
                                "\\StringFileInfo\\040904B0\\CompanyName",
                                "\\StringFileInfo\\040904E4\\FileVersion",
                                "\\A\\B\\C\\D\\E\\F\\G\\H\\I"};

// Converts the resource (from a heap block of exactly its size) and queries the result; every
// answer lies inside the block.
void ConvertAndQuery(const std::string& resource) {
    std::vector<uint8_t> copy(resource.begin(), resource.end());
    std::vector<uint8_t> block;
    if (!BuildAnsiVersionBlock(copy.data(), copy.size(), block))
        return;
    ASSERT_LE(block.size(), 0xFFFFu);
    ASSERT_EQ(block.size(), static_cast<size_t>(block[0] | (block[1] << 8)));
    for (const char* query : kQueries) {
        const uint8_t* value = nullptr;
        size_t length = 0;
        if (QueryAnsiVersionBlock(block.data(), query, value, length)) {
            ASSERT_GE(value, block.data());
            ASSERT_LE(value + length, block.data() + block.size());
        }
    }
}

std::string Query(const std::vector<uint8_t>& block, const char* path) {
    const uint8_t* value = nullptr;
    size_t length = 0;
    if (!QueryAnsiVersionBlock(block.data(), path, value, length))
        return "<none>";
    return std::string(reinterpret_cast<const char*>(value), length);
}

class WindresVersion : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        m_image =
            BuildResourceDll(m_temp.path(), VersionResourceScript(6, 1, 7600, 16385), false, error);
        ASSERT_FALSE(m_image.empty()) << error;
        ExecutableImage image(reinterpret_cast<const uint8_t*>(m_image.data()), m_image.size());
        const auto* entry = image.FindFirstOfType(ResourceId::Number(16));
        ASSERT_NE(nullptr, entry);
        m_resource.assign(reinterpret_cast<const char*>(entry->data.data), entry->data.size);
    }

    TempDir m_temp;
    std::string m_image;
    std::string m_resource;
};

} // namespace

TEST_F(WindresVersion, ConvertsToTheEightBitLayout) {
    std::vector<uint8_t> block;
    ASSERT_TRUE(BuildAnsiVersionBlock(reinterpret_cast<const uint8_t*>(m_resource.data()),
                                      m_resource.size(), block));
    // 8-bit keys: the root's key follows the two length words.
    EXPECT_EQ(0, std::memcmp(block.data() + 4, "VS_VERSION_INFO", 16));
    EXPECT_LE(block.size(), m_resource.size());
    EXPECT_EQ(std::string("6.1.7600.16385") + '\0',
              Query(block, "\\StringFileInfo\\040904B0\\FileVersion"));
    std::string fixed = Query(block, "\\");
    ASSERT_EQ(52u, fixed.size());
    EXPECT_EQ(0xFEEF04BDu, ReadDword(fixed, 0));
    EXPECT_EQ(0x00060001u, ReadDword(fixed, 8));
    EXPECT_EQ((7600u << 16) | 16385u, ReadDword(fixed, 12));

    // The 8-bit block converts to itself.
    std::vector<uint8_t> again;
    ASSERT_TRUE(BuildAnsiVersionBlock(block.data(), block.size(), again));
    EXPECT_EQ(block, again);
}

TEST_F(WindresVersion, TruncatedResourcesKeepWhatTheyHold) {
    for (size_t length = 0; length <= m_resource.size(); ++length)
        ConvertAndQuery(m_resource.substr(0, length));
    // Cut inside the string table, the fixed information is still there.
    std::vector<uint8_t> block;
    std::string cut = m_resource.substr(0, 200);
    ASSERT_TRUE(
        BuildAnsiVersionBlock(reinterpret_cast<const uint8_t*>(cut.data()), cut.size(), block));
    EXPECT_EQ(52u, Query(block, "\\").size());
}

TEST_F(WindresVersion, RandomDamageIsHarmless) {
    std::mt19937 random(4321);
    for (int round = 0; round < 5000; ++round) {
        std::string damaged = m_resource;
        int flips = 1 + static_cast<int>(random() % 6);
        for (int i = 0; i < flips; ++i)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        ConvertAndQuery(damaged);
    }
}

TEST(HostileVersionResource, DeepNestingAndEmptyRecordsEnd) {
    // Records nested 200 deep.
    std::string nested;
    for (int depth = 199; depth >= 0; --depth) {
        std::string record(4, '\0');
        record += depth == 0 ? "VS_VERSION_INFO" : "K";
        record.push_back('\0');
        while (record.size() % 4)
            record.push_back('\0');
        record += nested;
        PutWord(record, 0, static_cast<uint16_t>(record.size()));
        nested = record;
    }
    ConvertAndQuery(nested);

    // A child of length zero must not stall the walk.
    std::string root(4, '\0');
    root += "VS_VERSION_INFO";
    root += std::string(4, '\0');
    root += std::string(64, '\0');
    PutWord(root, 0, static_cast<uint16_t>(root.size()));
    ConvertAndQuery(root);

    // A key without its terminator, and a value claiming more than the record.
    std::string open(4, '\0');
    open += "VS_VERSION_INFO_AND_MORE";
    PutWord(open, 0, static_cast<uint16_t>(open.size()));
    ConvertAndQuery(open);
    std::string greedy = root;
    PutWord(greedy, 2, 0xFFFF);
    ConvertAndQuery(greedy);

    // Not version information at all.
    std::vector<uint8_t> block;
    const std::string text = "hello, this is not a version resource";
    EXPECT_FALSE(
        BuildAnsiVersionBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size(), block));
    EXPECT_FALSE(BuildAnsiVersionBlock(nullptr, 0, block));
}

TEST(HostileVersionResource, QueriesOfForeignBlocksFail) {
    const uint8_t text[] = "not a block at all";
    const uint8_t* value = nullptr;
    size_t length = 0;
    EXPECT_FALSE(QueryAnsiVersionBlock(text, "\\", value, length));
    const uint8_t zero[8] = {};
    EXPECT_FALSE(QueryAnsiVersionBlock(zero, "\\", value, length));
}
