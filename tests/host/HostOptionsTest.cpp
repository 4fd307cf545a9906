// The command line of the native program, parsed without running it.
#include "platform/host/HostOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Parsed {
    host::ParseOutcome outcome;
    host::HostOptions options;
    std::string message;
};

Parsed Parse(std::vector<const char*> args, bool terminal = false) {
    args.insert(args.begin(), "veltrix-setup");
    Parsed parsed;
    parsed.outcome = host::ParseHostOptions(static_cast<int>(args.size()), args.data(), terminal,
                                            parsed.options, parsed.message);
    return parsed;
}

TEST(HostOptions, DefaultsFollowTheDesign) {
    setenv("VELTRIX_PREFIX", "/tmp/veltrix-default-prefix", 1);
    Parsed parsed = Parse({}, true);
    ASSERT_EQ(parsed.outcome, host::ParseOutcome::Run) << parsed.message;
    const host::HostOptions& o = parsed.options;
    EXPECT_EQ(o.machine.mediaDir, ".");
    EXPECT_EQ(o.machine.mediaType, 5u); // DRIVE_CDROM
    EXPECT_EQ(o.machine.prefix, "/tmp/veltrix-default-prefix");
    EXPECT_EQ(o.machine.os, host::OsKind::Nt4);
    EXPECT_EQ(o.machine.pc, host::PcKind::PcAt);
    EXPECT_TRUE(o.machine.language.empty());
    EXPECT_EQ(o.ui, host::FrontendKind::Tui);
    EXPECT_FALSE(o.silent);
    EXPECT_FALSE(o.Unattended());
    EXPECT_EQ(o.overwrite, host::OverwriteChoice::Yes);
    EXPECT_TRUE(o.disks.empty());
    unsetenv("VELTRIX_PREFIX");
}

TEST(HostOptions, WithoutATerminalTheRunIsHeadlessAndSilent) {
    Parsed parsed = Parse({"--prefix", "/tmp/p"}, false);
    ASSERT_EQ(parsed.outcome, host::ParseOutcome::Run);
    EXPECT_EQ(parsed.options.ui, host::FrontendKind::Headless);
    EXPECT_TRUE(parsed.options.silent);
    EXPECT_TRUE(parsed.options.Unattended());
}

TEST(HostOptions, AnAnswersFileKeepsAHeadlessRunFromBeingSilent) {
    Parsed parsed = Parse({"--prefix", "/tmp/p", "--ui", "headless", "--answers", "a.txt"}, true);
    ASSERT_EQ(parsed.outcome, host::ParseOutcome::Run);
    EXPECT_FALSE(parsed.options.silent);
    EXPECT_TRUE(parsed.options.Unattended());
    EXPECT_EQ(parsed.options.answersFile, "a.txt");
}

TEST(HostOptions, ReadsEveryOption) {
    Parsed parsed =
        Parse({"--media",      "/m",       "--media-type", "removable", "--disk",      "2=/d2",
               "--disk=3=/d3", "--prefix", "/p",           "--os",      "win95",       "--pc",
               "pc98",         "--lang",   "jpn",          "--ui",      "tui",         "--silent",
               "--src",        "D:\\",     "--dest",       "C:\\APP",   "--overwrite", "no",
               "--transcript", "t.txt"},
              true);
    ASSERT_EQ(parsed.outcome, host::ParseOutcome::Run) << parsed.message;
    const host::HostOptions& o = parsed.options;
    EXPECT_EQ(o.machine.mediaDir, "/m");
    EXPECT_EQ(o.machine.mediaType, 2u); // DRIVE_REMOVABLE
    ASSERT_EQ(o.disks.size(), 2u);
    EXPECT_EQ(o.disks.at(2), "/d2");
    EXPECT_EQ(o.disks.at(3), "/d3");
    EXPECT_EQ(o.machine.prefix, "/p");
    EXPECT_EQ(o.machine.os, host::OsKind::Win95);
    EXPECT_EQ(o.machine.pc, host::PcKind::Pc98);
    EXPECT_EQ(o.machine.language, "JPN");
    EXPECT_EQ(o.ui, host::FrontendKind::Tui);
    EXPECT_TRUE(o.silent);
    EXPECT_TRUE(o.srcGiven);
    EXPECT_EQ(o.src, "D:\\");
    EXPECT_TRUE(o.destGiven);
    EXPECT_EQ(o.dest, "C:\\APP");
    EXPECT_EQ(o.overwrite, host::OverwriteChoice::No);
    EXPECT_EQ(o.transcriptFile, "t.txt");
}

TEST(HostOptions, AnEmptyDestinationIsStillGiven) {
    Parsed parsed = Parse({"--prefix", "/p", "--dest", ""});
    ASSERT_EQ(parsed.outcome, host::ParseOutcome::Run) << parsed.message;
    EXPECT_TRUE(parsed.options.destGiven);
    EXPECT_EQ(parsed.options.dest, "");
    EXPECT_FALSE(parsed.options.srcGiven);
}

TEST(HostOptions, HelpIsNotAnError) {
    Parsed parsed = Parse({"--help"});
    EXPECT_EQ(parsed.outcome, host::ParseOutcome::Help);
    EXPECT_NE(parsed.message.find("--media"), std::string::npos);
    EXPECT_NE(parsed.message.find("--answers"), std::string::npos);
}

TEST(HostOptions, RefusesWhatItDoesNotKnow) {
    const std::vector<std::vector<const char*>> bad = {
        {"--no-such-option"},
        {"stray"},
        {"--os", "win31"},
        {"--pc", "mac"},
        {"--media-type", "tape"},
        {"--ui", "gui"},
        {"--overwrite", "maybe"},
        {"--lang", "JAPANESE"},
        {"--lang", "J1N"},
        {"--disk", "2"},
        {"--disk", "=/dir"},
        {"--disk", "two=/dir"},
        {"--disk", "0=/dir"},
        {"--disk", "2="},
        {"--disk", "2=/a", "--disk", "2=/b"},
        {"--disk", "2=/a", "3=/b"},
        {"--media"},
        {"--media", ""},
        {"--answers", ""},
        {"--record", ""},
        // Without a terminal the run is headless: nobody's choices to record.
        {"--record", "answers.txt"},
        {"--os", "nt4", "--os", "win95"},
    };
    for (const auto& args : bad) {
        std::vector<const char*> withPrefix = args;
        withPrefix.push_back("--prefix");
        withPrefix.push_back("/p");
        Parsed parsed = Parse(withPrefix);
        EXPECT_EQ(parsed.outcome, host::ParseOutcome::Error) << args[0];
        EXPECT_FALSE(parsed.message.empty()) << args[0];
    }
}

} // namespace
