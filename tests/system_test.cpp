// The real command against the real kernel: each case builds its interfaces
// in a network namespace of its own and compares maclist with `ip -o link`.
#include "test_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::MatchesRegex;

namespace {

const char* const kIpMarker = "--- ip -o link\n";

struct NamespaceRun {
    Outcome outcome;
    std::string ipLink;  // `ip -o link` in the same namespace, just before maclist ran
};

// In a fresh network namespace: runs the setup commands, records `ip -o link`,
// then execs the program with the arguments and the shell redirection given.
NamespaceRun RunProgramInNamespace(const std::string& program, const std::string& setup,
                                   const std::vector<std::string>& args, const std::string& redirect,
                                   Stdout mode)
{
    std::string script = "set -e\n"
                         "exec 4>&2 5>&1 2>&3 1>&3\n" +
                         setup + "\necho '" + std::string(kIpMarker, strlen(kIpMarker) - 1) +
                         "'\n"
                         "ip -o link\n"
                         "exec 1>&5 2>&4 3>&- 4>&- 5>&-\n"
                         "exec " +
                         Quoted(program) + " \"$@\" " + redirect + "\n";
    Outcome outcome = RunInNamespace(mode, script, args);
    NamespaceRun run;
    size_t marker = outcome.extra.find(kIpMarker);
    if (marker == std::string::npos)
        ADD_FAILURE() << "the namespace setup failed:\n" << outcome.extra;
    else
        run.ipLink = outcome.extra.substr(marker + strlen(kIpMarker));
    run.outcome = outcome;
    return run;
}

NamespaceRun RunMaclistInNamespace(const std::string& setup, const std::vector<std::string>& args = {},
                                   const std::string& redirect = "", Stdout mode = Stdout::Captured)
{
    return RunProgramInNamespace(MACLIST_BINARY, setup, args, redirect, mode);
}

// An adapter as `ip -o link` shows it: the hardware address's length and its
// first eight bytes, zeros after the end.
struct IpAdapter {
    unsigned length;
    unsigned bytes[8];
};

// Every interface `ip -o link` lists but loopback, in its order.
std::vector<IpAdapter> AdaptersOf(const std::string& ipLink)
{
    static const std::regex line(R"(^\d+: [^:]+: <([^>]*)>.*\\\s+link/\S+(?: ([0-9a-f]{2}(?::[0-9a-f]{2})*))?)");
    std::vector<IpAdapter> adapters;
    std::istringstream lines(ipLink);
    std::string text;
    while (std::getline(lines, text)) {
        std::smatch match;
        if (!std::regex_search(text, match, line)) {
            ADD_FAILURE() << "cannot read this `ip -o link` line: " << text;
            continue;
        }
        if (("," + match[1].str() + ",").find(",LOOPBACK,") != std::string::npos)
            continue;
        std::string address = match[2].str();
        IpAdapter adapter = {static_cast<unsigned>((address.size() + 1) / 3), {}};
        for (size_t i = 0; i < 8 && i * 3 < address.size(); i++)
            adapter.bytes[i] = static_cast<unsigned>(std::stoul(address.substr(i * 3, 2), nullptr, 16));
        adapters.push_back(adapter);
    }
    return adapters;
}

// What maclist must print for these adapters: the first six of at most eight
// address bytes, zeros for an adapter without a hardware address.
std::string ExpectedListing(const std::vector<IpAdapter>& adapters)
{
    std::string expected;
    for (const IpAdapter& a : adapters) {
        char formatted[32];
        snprintf(formatted, sizeof formatted, "%02X-%02X-%02X-%02X-%02X-%02X\n", a.bytes[0], a.bytes[1], a.bytes[2],
                 a.bytes[3], a.bytes[4], a.bytes[5]);
        expected += formatted;
    }
    return expected;
}

// Checks one run against `ip -o link`: the listing, or the query's diagnostic
// when there is no adapter or more than sixteen.
void ExpectMatchesIpLink(const NamespaceRun& run)
{
    std::vector<IpAdapter> adapters = AdaptersOf(run.ipLink);
    SCOPED_TRACE("ip -o link:\n" + run.ipLink);
    if (adapters.empty() || adapters.size() > 16) {
        EXPECT_EQ(run.outcome.out, "");
        EXPECT_THAT(run.outcome.err, MatchesRegex(kQueryFailed));
        EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 1");
    } else {
        EXPECT_EQ(run.outcome.out, ExpectedListing(adapters));
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

// What the probe must print for these adapters, from the statuses and sizes
// the query promises to every record's length and eight address bytes.
std::string ExpectedProbe(const std::vector<IpAdapter>& adapters)
{
    if (adapters.empty())
        return "null length: 87\nempty buffer: 232\nnull buffer: 232\nfull buffer: 232\n";
    std::string expected = "null length: 87\nempty buffer: 111, needs " + std::to_string(adapters.size()) +
                           ".000 records\nnull buffer: 87\nfull buffer: 0\n";
    for (const IpAdapter& a : adapters) {
        char formatted[64];
        snprintf(formatted, sizeof formatted, "%u %02x:%02x:%02x:%02x:%02x:%02x:%02x:%02x\n",
                 a.length < 8 ? a.length : 8, a.bytes[0], a.bytes[1], a.bytes[2], a.bytes[3], a.bytes[4], a.bytes[5],
                 a.bytes[6], a.bytes[7]);
        expected += formatted;
    }
    return expected;
}

TEST(System, QueryKeepsItsContract)
{
    SKIP_WITHOUT_NAMESPACES();
    for (const std::string& setup : {std::string(kMixedSetup), std::string()}) {
        NamespaceRun run = RunProgramInNamespace(PLATFORM_PROBE, setup, {}, "", Stdout::Captured);
        SCOPED_TRACE("ip -o link:\n" + run.ipLink);
        EXPECT_EQ(run.outcome.out, ExpectedProbe(AdaptersOf(run.ipLink)));
        EXPECT_EQ(run.outcome.err, "");
        EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 0");
    }
}

}  // namespace
