// The real command against the real kernel: each case builds its interfaces
// in a network namespace of its own and compares maclist with `ip -o link`.
#include "test_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::MatchesRegex;

namespace {

// What the namespace's setup reports on descriptor 3, after its own
// messages: `ip -o link`, and what tools/ip-listing works out there.
const char* const kIpLinkMarker = "--- ip -o link\n";
const char* const kListingMarker = "--- listing\n";
const char* const kRecordsMarker = "--- records\n";

struct NamespaceRun {
    Outcome outcome;
    std::string ipLink;   // `ip -o link` in the same namespace, just before the program ran
    std::string listing;  // what maclist should print there, by tools/ip-listing
    std::string records;  // and the query's records, by tools/ip-listing --records
};

// The part of text between the marker and the next one, or its end.
std::string Section(const std::string& text, const char* marker)
{
    size_t start = text.find(marker);
    if (start == std::string::npos)
        return "";
    start += strlen(marker);
    size_t end = text.find("\n--- ", start - 1);
    return text.substr(start, end == std::string::npos ? std::string::npos : end + 1 - start);
}

// In a fresh network namespace, with a sysfs of its own: runs the setup
// commands, records `ip -o link` and what maclist should list there, then
// execs the program with the arguments and the shell redirection given.
NamespaceRun RunProgramInNamespace(const std::string& program, const std::string& setup,
                                   const std::vector<std::string>& args, const std::string& redirect,
                                   Stdout mode)
{
    std::string listing = "sh " + Quoted(IP_LISTING);
    std::string script = "set -e\n"
                         "exec 4>&2 5>&1 2>&3 1>&3\n"
                         "mount -t sysfs sysfs /sys\n" +
                         setup +
                         "\nprintf '%s' '" + kIpLinkMarker + "'; ip -o link\n"
                         "printf '%s' '" + kListingMarker + "'; " + listing + "\n"
                         "printf '%s' '" + kRecordsMarker + "'; " + listing + " --records\n"
                         "exec 1>&5 2>&4 3>&- 4>&- 5>&-\n"
                         "exec " +
                         Quoted(program) + " \"$@\" " + redirect + "\n";
    Outcome outcome = RunInNamespace(mode, script, args);
    NamespaceRun run;
    if (outcome.extra.find(kRecordsMarker) == std::string::npos) {
        ADD_FAILURE() << "the namespace setup failed:\n" << outcome.extra;
    } else {
        run.ipLink = Section(outcome.extra, kIpLinkMarker);
        run.listing = Section(outcome.extra, kListingMarker);
        run.records = Section(outcome.extra, kRecordsMarker);
    }
    run.outcome = outcome;
    return run;
}

NamespaceRun RunMaclistInNamespace(const std::string& setup, const std::vector<std::string>& args = {},
                                   const std::string& redirect = "", Stdout mode = Stdout::Captured)
{
    return RunProgramInNamespace(MACLIST_BINARY, setup, args, redirect, mode);
}

size_t LineCount(const std::string& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Checks one run against `ip -o link`: the listing, or the query's diagnostic
// when there is no adapter or more than sixteen.
void ExpectMatchesIpLink(const NamespaceRun& run)
{
    SCOPED_TRACE("ip -o link:\n" + run.ipLink);
    size_t adapters = LineCount(run.records);
    if (adapters == 0 || adapters > 16) {
        EXPECT_EQ(run.outcome.out, "");
        EXPECT_THAT(run.outcome.err, MatchesRegex(kQueryFailed));
        EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 1");
    } else {
        EXPECT_EQ(run.outcome.out, run.listing);
        EXPECT_EQ(run.outcome.err, "");
        EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 0");
    }
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// What the probe must print for these records, from the statuses and sizes
// the query promises to every record's length and eight address bytes.
std::string ExpectedProbe(const std::string& records)
{
    size_t adapters = LineCount(records);
    if (adapters == 0)
        return "null length: 87\nempty buffer: 232\nnull buffer: 232\nfull buffer: 232\n";
    return "null length: 87\nempty buffer: 111, needs " + std::to_string(adapters) +
           ".000 records\nnull buffer: 87\nfull buffer: 0\n" + records;
}

TEST(System, MixedInterfacesMatchIpLink)
{
    SKIP_WITHOUT_NAMESPACES();
    NamespaceRun run = RunMaclistInNamespace(kMixedSetup);
    ExpectMatchesIpLink(run);
    EXPECT_THAT(Lines(run.outcome.out),
                ::testing::UnorderedElementsAre("00-00-00-00-00-00", "02-00-00-00-00-A0", "02-1A-2B-3C-4D-5E",
                                                "0A-80-FE-FF-00-01", "12-34-56-78-9A-BC", ::testing::_));
}

TEST(System, OnlyLoopbackIsAFailedQuery)
{
    SKIP_WITHOUT_NAMESPACES();
    NamespaceRun run = RunMaclistInNamespace("");
    ExpectMatchesIpLink(run);
    EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 1");
}

TEST(System, SixteenAdaptersFitAndSeventeenDoNot)
{
    SKIP_WITHOUT_NAMESPACES();
    NamespaceRun sixteen = RunMaclistInNamespace(VethPairs(8));
    ExpectMatchesIpLink(sixteen);
    EXPECT_EQ(Lines(sixteen.outcome.out).size(), 16u);

    NamespaceRun seventeen = RunMaclistInNamespace(VethPairs(8) + "ip link add br0 type bridge\n");
    ExpectMatchesIpLink(seventeen);
    EXPECT_EQ(Ending(seventeen.outcome.waitStatus), "exit 1");
}

// A tunnel's hardware address is its local IP address, which ip writes as
// one: maclist prints its bytes.
TEST(System, TunnelsListTheirLocalAddress)
{
    SKIP_WITHOUT_NAMESPACES();
    if (system("unshare -rn ip link add t0 type gre local 10.9.8.7 >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "this kernel makes no gre tunnel (no ip_gre module); each architecture's machine loads one";
    const char* const setup = "ip link add gre1 type gre local 10.9.8.7 remote 10.1.2.3\n"
                              "ip link add gre2 type gre remote 10.1.2.4\n"
                              "ip link add ipip1 type ipip local 10.0.0.1 remote 10.0.0.2\n"
                              "ip link add sit1 type sit local 10.0.0.3 remote 10.0.0.4\n"
                              "ip link add ip6tnl1 type ip6tnl local 2001:db8::1 remote 2001:db8::2\n";
    NamespaceRun run = RunMaclistInNamespace(setup);
    ExpectMatchesIpLink(run);
    EXPECT_THAT(Lines(run.outcome.out),
                ::testing::UnorderedElementsAre("0A-09-08-07-00-00", "00-00-00-00-00-00", "0A-00-00-01-00-00",
                                                "0A-00-00-03-00-00", "20-01-0D-B8-00-00"));
    NamespaceRun probe = RunProgramInNamespace(PLATFORM_PROBE, setup, {}, "", Stdout::Captured);
    EXPECT_EQ(probe.outcome.out, ExpectedProbe(probe.records));
}

TEST(System, ArgumentsChangeNothing)
{
    SKIP_WITHOUT_NAMESPACES();
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"-?"}, {"/help"}, {"x", "y", "z"}}) {
        SCOPED_TRACE(::testing::PrintToString(args));
        ExpectMatchesIpLink(RunMaclistInNamespace(kMixedSetup, args));
    }
}

TEST(System, UnwritableOutputIsAFailure)
{
    SKIP_WITHOUT_NAMESPACES();
    for (const char* redirect : {">/dev/full", ">&-"}) {
        SCOPED_TRACE(redirect);
        NamespaceRun run = RunMaclistInNamespace(kMixedSetup, {}, redirect);
        EXPECT_THAT(run.outcome.err, MatchesRegex(kOutputFailed));
        EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 1");
    }
}

TEST(System, ReaderGoneEndsQuietlyByBrokenPipe)
{
    SKIP_WITHOUT_NAMESPACES();
    NamespaceRun run = RunMaclistInNamespace(kMixedSetup, {}, "", Stdout::BrokenPipe);
    EXPECT_EQ(run.outcome.err, "");
    EXPECT_EQ(Ending(run.outcome.waitStatus), "signal 13");
}

TEST(System, FailedSystemCallsFailTheQuery)
{
    SKIP_WITHOUT_NAMESPACES();
    if (system("command -v strace >/dev/null") != 0)
        GTEST_SKIP() << "strace is not installed";
    // A call interrupted by a signal is made again; any other failure of the
    // conversation with the kernel is a failed query.
    struct Injection {
        const char* fault;
        bool listed;
    };
    const Injection injections[] = {
        {"socket:error=EMFILE", false},       {"sendto:error=ENOBUFS", false},
        {"getsockname:error=ENOBUFS", false}, {"recvmsg:error=ENOMEM", false},
        {"recvmsg:error=EIO:when=2", false},  {"sendto:error=EINTR:when=1", true},
        {"recvmsg:error=EINTR:when=1..2", true},
    };
    for (const Injection& injection : injections) {
        SCOPED_TRACE(injection.fault);
        // LeakSanitizer cannot work under a tracer; it has nothing to find here.
        NamespaceRun run = RunProgramInNamespace("strace", kMixedSetup,
                                                 {"-qq", "-o", "/dev/null", "-E", "ASAN_OPTIONS=detect_leaks=0", "-e",
                                                  std::string("inject=") + injection.fault, MACLIST_BINARY},
                                                 "", Stdout::Captured);
        if (injection.listed) {
            ExpectMatchesIpLink(run);
        } else {
            EXPECT_EQ(run.outcome.out, "");
            EXPECT_THAT(run.outcome.err, MatchesRegex(kQueryFailed));
            EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 1");
        }
    }
}

// The whole listing leaves in one system call, whatever the count of lines:
// a reader that takes the first line and goes cannot make a second write
// fail.
TEST(System, ListingLeavesInOneWrite)
{
    SKIP_WITHOUT_NAMESPACES();
    if (system("command -v strace >/dev/null") != 0)
        GTEST_SKIP() << "strace is not installed";
    const std::string setups[] = {"ip link add br0 type bridge\n", VethPairs(8)};
    for (const std::string& setup : setups) {
        // strace reports on standard error, which maclist leaves empty here.
        NamespaceRun run = RunProgramInNamespace("strace", setup,
                                                 {"-qq", "-e", "signal=none", "-e", "trace=write,writev", "-E",
                                                  "ASAN_OPTIONS=detect_leaks=0", MACLIST_BINARY},
                                                 "", Stdout::Captured);
        SCOPED_TRACE("ip -o link:\n" + run.ipLink + "strace:\n" + run.outcome.err);
        EXPECT_EQ(run.outcome.out, run.listing);
        size_t writes = 0;
        for (const std::string& line : Lines(run.outcome.err))
            writes += line.rfind("write(1,", 0) == 0 || line.rfind("writev(1,", 0) == 0;
        EXPECT_EQ(writes, 1u);
        EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 0");
    }
}

TEST(System, QueryKeepsItsContract)
{
    SKIP_WITHOUT_NAMESPACES();
    for (const std::string& setup : {std::string(kMixedSetup), std::string()}) {
        NamespaceRun run = RunProgramInNamespace(PLATFORM_PROBE, setup, {}, "", Stdout::Captured);
        SCOPED_TRACE("ip -o link:\n" + run.ipLink);
        EXPECT_EQ(run.outcome.out, ExpectedProbe(run.records));
        EXPECT_EQ(run.outcome.err, "");
        EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 0");
    }
}

}  // namespace
