// The real command against the real kernel: each case builds its interfaces
// in a network namespace of its own and compares maclist with `ip -o link`.
#include "test_support.h"

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

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
// then execs maclist with the arguments and the shell redirection given.
NamespaceRun RunMaclistInNamespace(const std::string& setup, const std::vector<std::string>& args = {},
                   const std::string& redirect = "", Stdout mode = Stdout::Captured)
{
    std::string script = "set -e\n"
                         "exec 4>&2 5>&1 2>&3 1>&3\n" +
                         setup + "\necho '" + std::string(kIpMarker, strlen(kIpMarker) - 1) +
                         "'\n"
                         "ip -o link\n"
                         "exec 1>&5 2>&4 3>&- 4>&- 5>&-\n"
                         "exec '" MACLIST_BINARY "' \"$@\" " +
                         redirect + "\n";
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

// What maclist must print for the interfaces `ip -o link` lists: every one but
// loopback, in its order, the first six of at most eight address bytes, zeros
// for an interface without a hardware address. Sets count to the adapters.
std::string ExpectedListing(const std::string& ipLink, size_t& count)
{
    static const std::regex line(R"(^\d+: [^:]+: <([^>]*)>.*\\\s+link/\S+(?: ([0-9a-f]{2}(?::[0-9a-f]{2})*))?)");
    std::string expected;
    count = 0;
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
        unsigned bytes[8] = {};
        std::string address = match[2].str();
        for (size_t i = 0; i < 8 && i * 3 < address.size(); i++)
            bytes[i] = static_cast<unsigned>(std::stoul(address.substr(i * 3, 2), nullptr, 16));
        char formatted[32];
        snprintf(formatted, sizeof formatted, "%02X-%02X-%02X-%02X-%02X-%02X\n", bytes[0], bytes[1], bytes[2],
                 bytes[3], bytes[4], bytes[5]);
        expected += formatted;
        count++;
    }
    return expected;
}

// Checks one run against `ip -o link`: the listing, or the query's diagnostic
// when there is no adapter or more than sixteen.
void ExpectMatchesIpLink(const NamespaceRun& run)
{
    size_t count = 0;
    std::string expected = ExpectedListing(run.ipLink, count);
    SCOPED_TRACE("ip -o link:\n" + run.ipLink);
    if (count == 0 || count > 16) {
        EXPECT_EQ(run.outcome.out, "");
        EXPECT_THAT(run.outcome.err, MatchesRegex(kQueryFailed));
        EXPECT_EQ(Ending(run.outcome.waitStatus), "exit 1");
    } else {
        EXPECT_EQ(run.outcome.out, expected);
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

}  // namespace
