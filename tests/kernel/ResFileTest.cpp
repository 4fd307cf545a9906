// The compiled resource file the program carries, read record by record, and what damaged or
// truncated copies of it give.
#include "ResourceTestSupport.h"

#include "user/DialogTemplate.h"
#include "platform/kernel/ResFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

extern "C" {
extern const unsigned char veltrix_program_resources[];
extern const size_t veltrix_program_resources_size;
}

namespace {

using host::detail::ParseResFile;
using host::detail::ResourceEntry;
using host::detail::ResourceId;

std::string ProgramRes() {
    return std::string(reinterpret_cast<const char*>(veltrix_program_resources),
                       veltrix_program_resources_size);
}

const ResourceEntry* Find(const std::vector<ResourceEntry>& entries, uint16_t type, uint16_t name) {
    for (const ResourceEntry& entry : entries)
        if (entry.type.Matches(ResourceId::Number(type)) &&
            entry.name.Matches(ResourceId::Number(name)))
            return &entry;
    return nullptr;
}

TEST(ResFile, EmbeddedResourcesAreTheCompiledFile) {
    std::ifstream in(std::string(VELTRIX_BINARY_DIR) + "/resources/setup.res", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    ASSERT_FALSE(bytes.str().empty());
    EXPECT_EQ(ProgramRes(), bytes.str());
}

TEST(ResFile, ReadsEveryRecordOfTheProgram) {
    std::string res = ProgramRes();
    std::vector<ResourceEntry> entries;
    ASSERT_TRUE(ParseResFile(reinterpret_cast<const uint8_t*>(res.data()), res.size(), entries));
    // The string table's blocks of 16 ids: 101 is in block 7, 1000-1007 in 63, 1008 and 1009
    // in 64, 2000 in 126, 3000-3007 in 188, 3008 in 189, 10000-10014 in 626, 57344 in 3585.
    for (uint16_t block : {7, 63, 64, 126, 188, 189, 626, 3585})
        EXPECT_NE(Find(entries, 6, block), nullptr) << "block " << block;
    for (uint16_t dialog : {100, 101, 102, 110, 111, 112, 113, 1536})
        EXPECT_NE(Find(entries, 5, dialog), nullptr) << "dialog " << dialog;
    const ResourceEntry* group = Find(entries, 14, 128);
    ASSERT_NE(group, nullptr);
    // The group lists the two images, 32 x 32 and 16 x 16.
    ASSERT_EQ(group->data.size, 6u + 2 * 14u);
    EXPECT_EQ(group->data.data[4], 2);
    EXPECT_EQ(group->data.data[6], 32);
    EXPECT_EQ(group->data.data[6 + 14], 16);
    size_t icons = 0, total = 0;
    for (const ResourceEntry& entry : entries) {
        ++total;
        if (entry.type.Matches(ResourceId::Number(3)))
            ++icons;
        // Japanese (0x0411), every one of them; data inside the file.
        EXPECT_EQ(entry.language, 0x0411);
        EXPECT_GE(entry.data.data, reinterpret_cast<const uint8_t*>(res.data()));
        EXPECT_LE(entry.data.data + entry.data.size,
                  reinterpret_cast<const uint8_t*>(res.data()) + res.size());
    }
    EXPECT_EQ(icons, 2u);
    EXPECT_EQ(total, 8u + 8u + 1u + 2u);
}

TEST(ResFile, NamedTypesAndNames) {
    // A record with a string type and a string name, then one with numbers, built by hand.
    auto word = [](std::string& out, uint16_t value) {
        out += static_cast<char>(value & 0xFF);
        out += static_cast<char>(value >> 8);
    };
    auto dword = [&](std::string& out, uint32_t value) {
        word(out, static_cast<uint16_t>(value));
        word(out, static_cast<uint16_t>(value >> 16));
    };
    auto record = [&](std::string& out, const std::u16string& type, const std::u16string& name,
                      const std::string& data) {
        std::string header;
        for (char16_t c : type)
            word(header, c);
        word(header, 0);
        for (char16_t c : name)
            word(header, c);
        word(header, 0);
        while (header.size() % 4 != 0)
            header += '\0';
        dword(header, 0);
        word(header, 0x30);
        word(header, 0x0409);
        dword(header, 0);
        dword(header, 0);
        dword(out, static_cast<uint32_t>(data.size()));
        dword(out, static_cast<uint32_t>(header.size() + 8));
        out += header + data;
        while (out.size() % 4 != 0)
            out += '\0';
    };
    std::string file;
    record(file, u"MYTYPE", u"Name1", "abc");
    record(file, u"T", u"N", "");
    std::vector<ResourceEntry> entries;
    ASSERT_TRUE(ParseResFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(), entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(entries[0].type.Matches(ResourceId::Name(u"mytype")));
    EXPECT_TRUE(entries[0].name.Matches(ResourceId::Name(u"NAME1")));
    EXPECT_EQ(entries[0].language, 0x0409);
    EXPECT_EQ(
        std::string(reinterpret_cast<const char*>(entries[0].data.data), entries[0].data.size),
        "abc");
    EXPECT_EQ(entries[1].data.size, 0u);
}

TEST(ResFile, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
    std::string res = ProgramRes();
    std::vector<ResourceEntry> whole;
    ASSERT_TRUE(ParseResFile(reinterpret_cast<const uint8_t*>(res.data()), res.size(), whole));
    for (size_t length = 0; length < res.size(); ++length) {
        // A copy of exactly that length, so that a read past it is a fault the sanitizer sees.
        std::vector<uint8_t> cut(res.begin(), res.begin() + static_cast<long>(length));
        std::vector<ResourceEntry> entries;
        // A cut between two records leaves a shorter file that is whole; any other cut is
        // refused. Either way the records read are the first ones of the file, unchanged.
        ParseResFile(cut.data(), cut.size(), entries);
        ASSERT_LE(entries.size(), whole.size());
        for (size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(entries[i].data.size, whole[i].data.size) << "length " << length;
        for (const ResourceEntry& entry : entries) {
            EXPECT_LE(entry.data.data + entry.data.size, cut.data() + cut.size());
            // A template cut short is refused, never read beyond its end.
            res::DialogTemplate dialog;
            if (entry.type.Matches(ResourceId::Number(5)))
                res::ParseDialogTemplate(entry.data.data, entry.data.size, dialog);
        }
    }
}

TEST(ResFile, DamagedHeadersAreRefused) {
    std::string res = ProgramRes();
    // The second record starts at 32: its sizes claim more than the file holds.
    for (uint32_t bad : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x10000u, 3u}) {
        for (size_t field : {32u, 36u}) {
            if (bad == 3 && field == 32)
                continue; // a small data size is sound in itself
            std::vector<uint8_t> damaged(res.begin(), res.end());
            for (int i = 0; i < 4; ++i)
                damaged[field + i] = static_cast<uint8_t>(bad >> (8 * i));
            std::vector<ResourceEntry> entries;
            EXPECT_FALSE(ParseResFile(damaged.data(), damaged.size(), entries))
                << std::hex << bad << " at " << field;
            EXPECT_TRUE(entries.empty());
        }
    }
    // A name that never ends.
    std::vector<uint8_t> endless(res.begin(), res.begin() + 48);
    for (size_t i = 40; i < endless.size(); ++i)
        endless[i] = 'A';
    std::vector<ResourceEntry> entries;
    EXPECT_FALSE(ParseResFile(endless.data(), endless.size(), entries));
    EXPECT_TRUE(ParseResFile(nullptr, 0, entries));
}

TEST(DialogTemplateParser, EveryTruncationOfEveryTemplateIsRefused) {
    std::string res = ProgramRes();
    std::vector<ResourceEntry> entries;
    ASSERT_TRUE(ParseResFile(reinterpret_cast<const uint8_t*>(res.data()), res.size(), entries));
    size_t templates = 0;
    for (const ResourceEntry& entry : entries) {
        if (!entry.type.Matches(ResourceId::Number(5)))
            continue;
        ++templates;
        res::DialogTemplate whole;
        ASSERT_TRUE(res::ParseDialogTemplate(entry.data.data, entry.data.size, whole));
        // The last item may end in padding the template does not need.
        size_t needed = 0;
        for (size_t length = entry.data.size; length > 0; --length) {
            std::vector<uint8_t> cut(entry.data.data, entry.data.data + length - 1);
            res::DialogTemplate parsed;
            if (!res::ParseDialogTemplate(cut.data(), cut.size(), parsed)) {
                needed = length;
                break;
            }
        }
        ASSERT_GT(needed, 0u);
        for (size_t length = 0; length < needed; ++length) {
            std::vector<uint8_t> cut(entry.data.data, entry.data.data + length);
            res::DialogTemplate parsed;
            EXPECT_FALSE(res::ParseDialogTemplate(cut.data(), cut.size(), parsed))
                << "length " << length;
            EXPECT_TRUE(parsed.items.empty());
        }
    }
    EXPECT_EQ(templates, 8u);
    res::DialogTemplate parsed;
    EXPECT_FALSE(res::ParseDialogTemplate(nullptr, 100, parsed));
}

TEST(DialogTemplateParser, ItemCountBeyondTheDataIsRefused) {
    std::string res = ProgramRes();
    std::vector<ResourceEntry> entries;
    ASSERT_TRUE(ParseResFile(reinterpret_cast<const uint8_t*>(res.data()), res.size(), entries));
    const ResourceEntry* page = Find(entries, 5, 113);
    ASSERT_NE(page, nullptr);
    std::vector<uint8_t> data(page->data.data, page->data.data + page->data.size);
    // A plain template keeps its item count at offset 8.
    data[8] = 0xFF;
    data[9] = 0xFF;
    res::DialogTemplate parsed;
    EXPECT_FALSE(res::ParseDialogTemplate(data.data(), data.size(), parsed));
}

TEST(DialogTemplateParser, OrdinalsAndCreationData) {
    // A plain template with a menu and class by ordinal and one item of a named class whose
    // text is an ordinal and which carries creation data.
    std::vector<uint8_t> t;
    auto word = [&t](uint16_t value) {
        t.push_back(static_cast<uint8_t>(value));
        t.push_back(static_cast<uint8_t>(value >> 8));
    };
    auto dword = [&](uint32_t value) {
        word(static_cast<uint16_t>(value));
        word(static_cast<uint16_t>(value >> 16));
    };
    dword(0x80000000); // style: no DS_SETFONT, so no font
    dword(0x8);        // exStyle
    word(1);           // one item
    word(1), word(2), word(300), word(200);
    word(0xFFFF), word(7);         // menu 7
    word(0xFFFF), word(0x20);      // class atom 0x20
    word('H'), word('i'), word(0); // caption
    while (t.size() % 4)
        t.push_back(0);
    dword(0x50000003); // item style
    dword(0);
    word(static_cast<uint16_t>(-5)), word(6), word(7), word(8);
    word(42);
    word('M'), word('y'), word(0); // class "My"
    word(0xFFFF), word(128);       // text: ordinal 128
    word(3);                       // three bytes of creation data
    t.push_back(9), t.push_back(8), t.push_back(7);
    res::DialogTemplate parsed;
    ASSERT_TRUE(res::ParseDialogTemplate(t.data(), t.size(), parsed));
    EXPECT_FALSE(parsed.extended);
    EXPECT_EQ(parsed.exStyle, 0x8u);
    EXPECT_TRUE(parsed.menuIsOrdinal);
    EXPECT_EQ(parsed.menuOrdinal, 7);
    EXPECT_TRUE(parsed.classIsOrdinal);
    EXPECT_EQ(parsed.classOrdinal, 0x20);
    EXPECT_EQ(parsed.caption, "Hi");
    EXPECT_EQ(parsed.pointSize, 0);
    EXPECT_TRUE(parsed.faceName.empty());
    ASSERT_EQ(parsed.items.size(), 1u);
    EXPECT_EQ(parsed.items[0].x, -5);
    EXPECT_EQ(parsed.items[0].id, 42u);
    EXPECT_EQ(parsed.items[0].className, "My");
    EXPECT_TRUE(parsed.items[0].textIsOrdinal);
    EXPECT_EQ(parsed.items[0].textOrdinal, 128);
    EXPECT_EQ(parsed.items[0].creationData, std::vector<BYTE>({9, 8, 7}));
    // Without its last creation byte the item is incomplete.
    EXPECT_FALSE(res::ParseDialogTemplate(t.data(), t.size() - 1, parsed));
}

} // namespace
