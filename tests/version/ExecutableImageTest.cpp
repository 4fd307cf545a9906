#include "TestImages.h"

#include "TempDir.h"
#include "kernel/ExecutableImage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <windows.h>

using host::detail::ByteSpan;
using host::detail::ExecutableImage;
using host::detail::ImageKind;
using host::detail::kAnyLanguage;
using host::detail::ResourceEntry;
using host::detail::ResourceId;

namespace {

const char kResourceScript[] = R"(
LANGUAGE 0x11, 0x01
42 RCDATA { "jpn" }
LANGUAGE 0x09, 0x01
42 RCDATA { "enu" }
LANGUAGE 0, 0
42 RCDATA { "neutral" }
LANGUAGE 0x09, 0x01
PAYLOAD MYDATA { "xyz" }
STRINGTABLE
BEGIN
  1000 "Hello"
END
)";

std::string Text(const ByteSpan& span) {
    return std::string(reinterpret_cast<const char*>(span.data), span.size);
}

// Every span lies inside the buffer the image was read from.
void ExpectSpansInside(const ExecutableImage& image, const uint8_t* data, size_t size) {
    for (const ResourceEntry& entry : image.Resources()) {
        ASSERT_GE(entry.data.data, data);
        ASSERT_LE(entry.data.size, size);
        ASSERT_LE(entry.data.data + entry.data.size, data + size);
    }
}

// Reads the image from a heap block of exactly its size, so that a read past the end is a
// read past the allocation.
size_t ParseCopy(const std::string& bytes) {
    std::vector<uint8_t> copy(bytes.begin(), bytes.end());
    ExecutableImage image(copy.data(), copy.size());
    ExpectSpansInside(image, copy.data(), copy.size());
    size_t total = 0;
    for (const ResourceEntry& entry : image.Resources())
        for (size_t i = 0; i < entry.data.size; ++i)
            total += entry.data.data[i];
    (void)total;
    return image.Resources().size();
}

// A PE32 image with one section .rsrc at RVA 0x1000 holding the given bytes.
std::string SyntheticPe(const std::string& resourceSection, uint32_t resourceSize = 0) {
    std::string image(0x200, '\0');
    image[0] = 'M';
    image[1] = 'Z';
    PutDword(image, 0x3C, 0x40);
    image.replace(0x40, 4, std::string("PE\0\0", 4));
    PutWord(image, 0x44, 0x14C);
    PutWord(image, 0x46, 1);    // sections
    PutWord(image, 0x54, 0xE0); // optional header size
    PutWord(image, 0x56, 0x2102);
    size_t optional = 0x58;
    PutWord(image, optional, 0x10B);
    PutDword(image, optional + 92, 16);
    PutDword(image, optional + 96 + 16, 0x1000);
    PutDword(image, optional + 96 + 20,
             resourceSize ? resourceSize : static_cast<uint32_t>(resourceSection.size()));
    size_t section = optional + 0xE0;
    image.replace(section, 5, ".rsrc");
    PutDword(image, section + 8, static_cast<uint32_t>(resourceSection.size()));
    PutDword(image, section + 12, 0x1000);
    PutDword(image, section + 16, static_cast<uint32_t>(resourceSection.size()));
    PutDword(image, section + 20, 0x200);
    return image + resourceSection;
}

// A resource directory header with that many id entries.
std::string DirectoryHeader(uint16_t idEntries) {
    std::string header(16, '\0');
    PutWord(header, 14, idEntries);
    return header;
}

std::string Entry(uint32_t name, uint32_t target) {
    std::string entry(8, '\0');
    PutDword(entry, 0, name);
    PutDword(entry, 4, target);
    return entry;
}

// A well-formed section: type 10, name 7, language 0x409, data "DATA" at RVA 0x1000 + 0x48.
std::string OneResourceSection() {
    std::string section = DirectoryHeader(1) + Entry(10, 0x80000018); // 0x00
    section += DirectoryHeader(1) + Entry(7, 0x80000030);             // 0x18
    section += DirectoryHeader(1) + Entry(0x409, 0x48);               // 0x30
    std::string data(16, '\0');                                       // 0x48
    PutDword(data, 0, 0x1000 + 0x58);
    PutDword(data, 4, 4);
    section += data + "DATA"; // 0x58
    return section;
}

class ResourceDll : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        if (!HaveDllTools(GetParam()))
            GTEST_SKIP() << "mingw-w64 binutils for this target are not installed";
        std::string error;
        m_image = BuildResourceDll(
            m_temp.path(), std::string(kResourceScript) + VersionResourceScript(4, 0, 1381, 1),
            GetParam(), error);
        ASSERT_FALSE(m_image.empty()) << error;
    }
    const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(m_image.data()); }

    TempDir m_temp;
    std::string m_image;
};

} // namespace

TEST_P(ResourceDll, FindsResourcesByNumberNameAndLanguage) {
    ExecutableImage image(Bytes(), m_image.size());
    EXPECT_EQ(GetParam() ? ImageKind::Pe32Plus : ImageKind::Pe32, image.Kind());
    EXPECT_TRUE(image.IsExecutable());

    const ResourceId rcdata = ResourceId::Number(10);
    const ResourceEntry* found = image.Find(rcdata, ResourceId::Number(42), 0x411);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("jpn", Text(found->data));
    found = image.Find(rcdata, ResourceId::Number(42), 0x409);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("enu", Text(found->data));
    found = image.Find(rcdata, ResourceId::Number(42), kAnyLanguage);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("neutral", Text(found->data));
    EXPECT_EQ(nullptr, image.Find(rcdata, ResourceId::Number(42), 0x407));
    EXPECT_EQ(nullptr, image.Find(rcdata, ResourceId::Number(43)));

    found = image.Find(ResourceId::FromWindowsId("mydata"), ResourceId::FromWindowsId("Payload"));
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("xyz", Text(found->data));
    EXPECT_EQ(0x409, found->language);
    EXPECT_EQ(nullptr, image.Find(ResourceId::FromWindowsId("MYDATA"), ResourceId::Number(1)));

    // "#10" and MAKEINTRESOURCE(10) name the same type as the number.
    EXPECT_NE(nullptr, image.Find(ResourceId::FromWindowsId("#10"), ResourceId::Number(42)));
    EXPECT_NE(nullptr,
              image.Find(ResourceId::FromWindowsId(MAKEINTRESOURCEA(10)), ResourceId::Number(42)));
    EXPECT_TRUE(image.HasType(ResourceId::FromWindowsId(RT_STRING)));
    EXPECT_FALSE(image.HasType(ResourceId::FromWindowsId(RT_DIALOG)));
}

TEST_P(ResourceDll, VersionResourceSpansTheWholeRecord) {
    ExecutableImage image(Bytes(), m_image.size());
    const ResourceEntry* version = image.FindFirstOfType(ResourceId::FromWindowsId(RT_VERSION));
    ASSERT_NE(nullptr, version);
    ASSERT_GE(version->data.size, 6 + 32u);
    // The record's own length is its first word; the key follows the three header words.
    EXPECT_EQ(version->data.size,
              static_cast<size_t>(version->data.data[0] | (version->data.data[1] << 8)));
    EXPECT_EQ('V', version->data.data[6]);
    EXPECT_EQ('S', version->data.data[8]);
    ExpectSpansInside(image, Bytes(), m_image.size());
}

TEST_P(ResourceDll, EveryTruncationStaysInsideTheBuffer) {
    size_t full = ParseCopy(m_image);
    EXPECT_GE(full, 5u);
    size_t largestShort = 0;
    for (size_t length = 0; length < m_image.size(); ++length) {
        size_t count = ParseCopy(m_image.substr(0, length));
        if (length + 1 < m_image.size())
            largestShort = std::max(largestShort, count);
    }
    // A file cut before the end of its resources cannot list all of them.
    PeSectionInfo section;
    ASSERT_TRUE(FindResourceSection(m_image, section));
    EXPECT_EQ(0u, ParseCopy(m_image.substr(0, section.fileOffset + 8)));
    EXPECT_LE(largestShort, full);
}

TEST_P(ResourceDll, RandomDamageNeverEscapesTheBuffer) {
    PeSectionInfo section;
    ASSERT_TRUE(FindResourceSection(m_image, section));
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = m_image;
        int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) {
            // Mostly the resource section, sometimes the headers.
            size_t at = (random() % 4 == 0) ? random() % 0x200
                                            : section.fileOffset +
                                                  random() % std::max<uint32_t>(1, section.rawSize);
            if (at < damaged.size())
                damaged[at] = static_cast<char>(random());
        }
        ParseCopy(damaged);
    }
}

INSTANTIATE_TEST_SUITE_P(Pe, ResourceDll, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Pe32Plus" : "Pe32";
                         });

TEST(SyntheticPe, ReadsAWellFormedDirectory) {
    std::string image = SyntheticPe(OneResourceSection());
    ExecutableImage parsed(reinterpret_cast<const uint8_t*>(image.data()), image.size());
    ASSERT_EQ(1u, parsed.Resources().size());
    const ResourceEntry* found = parsed.Find(ResourceId::Number(10), ResourceId::Number(7), 0x409);
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("DATA", Text(found->data));
}

TEST(SyntheticPe, DataOutsideTheFileIsDropped) {
    std::string section = OneResourceSection();
    PutDword(section, 0x48 + 4, 0xFFFFFFFF); // size
    EXPECT_EQ(0u, ParseCopy(SyntheticPe(section)));

    section = OneResourceSection();
    PutDword(section, 0x48 + 4, 5); // one byte past the section's end
    EXPECT_EQ(0u, ParseCopy(SyntheticPe(section)));

    section = OneResourceSection();
    PutDword(section, 0x48, 0x7FFFFFF0); // an RVA no section holds
    EXPECT_EQ(0u, ParseCopy(SyntheticPe(section)));

    section = OneResourceSection();
    PutDword(section, 0x48, 0x0FFC); // starts before the section
    EXPECT_EQ(0u, ParseCopy(SyntheticPe(section)));
}

TEST(SyntheticPe, EntriesOfTheWrongKindAreSkipped) {
    // The language level points to a directory instead of data.
    std::string section = OneResourceSection();
    PutDword(section, 0x30 + 16 + 4, 0x80000000);
    EXPECT_EQ(0u, ParseCopy(SyntheticPe(section)));
    // The type level points straight to data.
    section = OneResourceSection();
    PutDword(section, 16 + 4, 0x48);
    EXPECT_EQ(0u, ParseCopy(SyntheticPe(section)));
    // A name string beyond the section.
    section = OneResourceSection();
    PutDword(section, 0x18 + 16, 0x80000000 | 0x7000);
    EXPECT_EQ(0u, ParseCopy(SyntheticPe(section)));
}

TEST(SyntheticPe, StringNamesAreRead) {
    // The type is the name "ABC", stored after the data.
    std::string section = OneResourceSection();
    PutDword(section, 16, 0x80000000 | static_cast<uint32_t>(section.size()));
    section += std::string("\x03\0A\0b\0C\0", 8);
    std::string image = SyntheticPe(section);
    ExecutableImage parsed(reinterpret_cast<const uint8_t*>(image.data()), image.size());
    EXPECT_NE(nullptr, parsed.Find(ResourceId::FromWindowsId("abc"), ResourceId::Number(7)));
    EXPECT_EQ(nullptr, parsed.Find(ResourceId::Number(10), ResourceId::Number(7)));
}

TEST(SyntheticPe, LoopsAndHugeCountsEndQuickly) {
    // Every level lists 0xFFFF entries that all lead back to the root: without bounds the
    // walk would visit 0xFFFF^3 entries.
    std::string section = DirectoryHeader(0xFFFF);
    for (int i = 0; i < 0xFFFF; ++i)
        section += Entry(static_cast<uint32_t>(i), 0x80000000);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(0u, ParseCopy(SyntheticPe(section)));
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0);

    // A directory that claims more entries than its section holds.
    section = OneResourceSection();
    PutWord(section, 14, 0xFFFF);
    PutWord(section, 12, 0xFFFF);
    ParseCopy(SyntheticPe(section));
}

TEST(SyntheticPe, EntriesThatAllPointToOneDataItemAreCapped) {
    // Three levels of 0xFFFF entries whose last level points to one data item would list
    // 0xFFFF^3 resources.
    const uint32_t count = 0xFFFF;
    const uint32_t directorySize = 16 + 8 * count;
    std::string section;
    for (uint32_t level = 0; level < 3; ++level) {
        section += DirectoryHeader(static_cast<uint16_t>(count));
        uint32_t target =
            level < 2 ? (0x80000000 | (level + 1) * directorySize) : 3 * directorySize;
        for (uint32_t i = 0; i < count; ++i)
            section += Entry(i + 1, target);
    }
    std::string item(16, '\0');
    PutDword(item, 0, 0x1000 + 3 * directorySize + 16);
    PutDword(item, 4, 1);
    section += item + "Z";
    auto start = std::chrono::steady_clock::now();
    size_t found = ParseCopy(SyntheticPe(section));
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(ExecutableImage::kMaxResources, found);
    EXPECT_LT(seconds, 10.0);
}

TEST(NotAnExecutable, HasNoResources) {
    const std::vector<std::string> samples = {"",
                                              "MZ",
                                              std::string(63, 'M'),
                                              "plain text, long enough to pass for a header maybe",
                                              std::string("MZ") + std::string(0x3A, '\0') +
                                                  std::string("\xF0\xFF\xFF\xFF", 4),
                                              std::string("\x7F"
                                                          "ELF") +
                                                  std::string(200, '\0')};
    for (const std::string& sample : samples) {
        std::vector<uint8_t> copy(sample.begin(), sample.end());
        ExecutableImage image(copy.data(), copy.size());
        EXPECT_FALSE(image.IsExecutable());
        EXPECT_TRUE(image.Resources().empty());
    }
    ExecutableImage none(nullptr, 0);
    EXPECT_FALSE(none.IsExecutable());
}

TEST(NeImage, FindsResourcesByNumberAndName) {
    std::vector<NeResource> resources(3);
    resources[0].type = 16;
    resources[0].name = 1;
    resources[0].data = Ne16VersionResource(3, 10, 0, 103);
    resources[1].typeName = "MYDATA";
    resources[1].nameName = "PAYLOAD";
    resources[1].data = "xyz";
    resources[2].type = 10;
    resources[2].name = 42;
    resources[2].data = std::string(40, 'q');
    std::string bytes = BuildNeImage(resources);
    ExecutableImage image(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(ImageKind::Ne, image.Kind());
    ASSERT_EQ(3u, image.Resources().size());

    const ResourceEntry* found = image.Find(ResourceId::Number(10), ResourceId::Number(42));
    ASSERT_NE(nullptr, found);
    // Sizes are whole alignment units (16 bytes here).
    EXPECT_EQ(48u, found->data.size);
    EXPECT_EQ(std::string(40, 'q'), Text(found->data).substr(0, 40));
    EXPECT_EQ(0, found->language);

    found = image.Find(ResourceId::FromWindowsId("mydata"), ResourceId::FromWindowsId("payload"));
    ASSERT_NE(nullptr, found);
    EXPECT_EQ("xyz", Text(found->data).substr(0, 3));

    found = image.FindFirstOfType(ResourceId::Number(16));
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(resources[0].data, Text(found->data).substr(0, resources[0].data.size()));
}

TEST(NeImage, DamagedTablesStayInsideTheBuffer) {
    std::vector<NeResource> resources(2);
    resources[0].type = 16;
    resources[0].name = 1;
    resources[0].data = Ne16VersionResource(3, 10, 0, 103);
    resources[1].typeName = "T";
    resources[1].nameName = "N";
    resources[1].data = "abc";
    const std::string bytes = BuildNeImage(resources);
    const size_t ne = 0x40;
    const size_t table = ne + 0x40;

    for (size_t length = 0; length <= bytes.size(); ++length)
        ParseCopy(bytes.substr(0, length));

    std::string damaged = bytes;
    PutWord(damaged, table, 31); // alignment shift far too large
    EXPECT_EQ(0u, ParseCopy(damaged));

    damaged = bytes;
    PutWord(damaged, ne + 0x24, 0xFFF0); // table beyond the file
    EXPECT_EQ(0u, ParseCopy(damaged));

    damaged = bytes;
    PutWord(damaged, table + 2 + 2, 0xFFFF); // the first type claims 65535 resources
    ParseCopy(damaged);

    damaged = bytes;
    PutWord(damaged, table + 2 + 8, 0xFFFF); // data offset beyond the file
    EXPECT_EQ(1u, ParseCopy(damaged));

    damaged = bytes;
    PutWord(damaged, table + 2 + 8 + 2, 0xFFFF); // length beyond the file: clamped
    ExecutableImage clamped(reinterpret_cast<const uint8_t*>(damaged.data()), damaged.size());
    ASSERT_EQ(2u, clamped.Resources().size());
    ExpectSpansInside(clamped, reinterpret_cast<const uint8_t*>(damaged.data()), damaged.size());

    damaged = bytes;
    PutWord(damaged, table + 2 + 20, 0x7FF0); // a type name beyond the file
    EXPECT_EQ(1u, ParseCopy(damaged));

    std::mt19937 random(99);
    for (int round = 0; round < 3000; ++round) {
        damaged = bytes;
        for (int i = 0; i < 4; ++i)
            damaged[table + random() % 0x40] = static_cast<char>(random());
        ParseCopy(damaged);
    }
}
