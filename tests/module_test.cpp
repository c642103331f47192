// The program module, linked against a test double of the adapter query.
#include "maclist.h"
#include "platform/platform.h"

#include "test_support.h"

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

// The program's main, renamed in the module under test.
extern "C" int MaclistMain(int argc, char* argv[]);

using ::testing::MatchesRegex;

namespace {

struct FakeRecord {
    std::vector<unsigned char> address;  // up to 8 bytes; the rest of Address stays zero
    unsigned int addressLength;
};

// What the next query answers: a status, the records it writes into the
// caller's buffer, and the order in which Next links them, from element 0.
struct FakeQuery {
    DWORD dwStatus = ERROR_SUCCESS;
    std::vector<FakeRecord> records;
    std::vector<size_t> chain;  // empty: array order
};

FakeQuery fakeQuery;
int queryCount;

const size_t kRecords = 16;

}  // namespace

DWORD GetAdaptersInfo(PIP_ADAPTER_INFO pAdapterInfo, DWORD* pOutBufLen)
{
    // Misuse shows up on standard error, which every test compares exactly.
    if (++queryCount != 1)
        fprintf(stderr, "fake: query number %d\n", queryCount);
    if (*pOutBufLen != kRecords * sizeof(IP_ADAPTER_INFO))
        fprintf(stderr, "fake: buffer of %u bytes\n", static_cast<unsigned>(*pOutBufLen));

    // Records outside the chain are garbage: only the chain may be printed.
    memset(pAdapterInfo, 0xA5, kRecords * sizeof(IP_ADAPTER_INFO));
    for (size_t i = 0; i < fakeQuery.records.size(); i++) {
        memset(&pAdapterInfo[i], 0, sizeof(IP_ADAPTER_INFO));
        const FakeRecord& record = fakeQuery.records[i];
        std::copy(record.address.begin(), record.address.end(), pAdapterInfo[i].Address);
        pAdapterInfo[i].AddressLength = record.addressLength;
    }
    std::vector<size_t> chain = fakeQuery.chain;
    if (chain.empty())
        for (size_t i = 0; i < fakeQuery.records.size(); i++)
            chain.push_back(i);
    for (size_t i = 0; i + 1 < chain.size(); i++)
        pAdapterInfo[chain[i]].Next = &pAdapterInfo[chain[i + 1]];
    return fakeQuery.dwStatus;
}

namespace {

FakeRecord Record(std::vector<unsigned char> address)
{
    unsigned int length = static_cast<unsigned int>(address.size());
    return {std::move(address), length};
}

// Calls an entry taking argc and argv with these arguments.
int CallWithArgs(int (*entry)(int, char**), std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return entry(static_cast<int>(args.size()), argv.data());
}

// Runs the program's main with the given arguments after argv[0].
Outcome RunMaclist(const FakeQuery& query, std::vector<std::string> args = {}, Stdout mode = Stdout::Captured)
{
    return RunChild(mode, [&] {
        fakeQuery = query;
        queryCount = 0;
        args.insert(args.begin(), "maclist");
        return CallWithArgs(MaclistMain, args);
    });
}

TEST(Listing, FailedQueryPrintsOnlyTheDiagnostic)
{
    for (DWORD dwStatus : {ERROR_BUFFER_OVERFLOW, ERROR_NO_DATA, ERROR_INVALID_PARAMETER, ERROR_NOT_SUPPORTED,
                           DWORD{0xFFFFFFFF}, DWORD{1}}) {
        FakeQuery query;
        query.dwStatus = dwStatus;
        query.records = {Record({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})};
        Outcome outcome = RunMaclist(query);
        SCOPED_TRACE("status " + std::to_string(dwStatus));
        EXPECT_EQ(outcome.out, "");
        EXPECT_THAT(outcome.err, MatchesRegex(kQueryFailed));
        EXPECT_EQ(Ending(outcome.waitStatus), "exit 1");
    }
}

TEST(Listing, OneRecordIsOneLine)
{
    FakeQuery query;
    query.records = {Record({0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})};
    Outcome outcome = RunMaclist(query);
    EXPECT_EQ(outcome.out, "00-1A-2B-3C-4D-5E\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(Ending(outcome.waitStatus), "exit 0");
}

TEST(Listing, SixteenRecordsComeOutInChainOrder)
{
    FakeQuery query;
    for (unsigned char i = 0; i < kRecords; i++)
        query.records.push_back(Record({0x02, 0x00, 0x00, 0x00, 0x00, i}));
    query.chain = {0, 9, 3, 15, 1, 14, 2, 13, 4, 12, 5, 11, 6, 10, 7, 8};
    Outcome outcome = RunMaclist(query);
    std::string expected;
    for (size_t slot : query.chain) {
        char line[32];
        snprintf(line, sizeof line, "02-00-00-00-00-%02zX\n", slot);
        expected += line;
    }
    EXPECT_EQ(outcome.out, expected);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(Ending(outcome.waitStatus), "exit 0");
}

TEST(Listing, ChainMaySkipArrayElements)
{
    FakeQuery query;
    query.records = {Record({1, 1, 1, 1, 1, 1}), Record({2, 2, 2, 2, 2, 2}), Record({3, 3, 3, 3, 3, 3})};
    query.chain = {0, 2};
    Outcome outcome = RunMaclist(query);
    EXPECT_EQ(outcome.out, "01-01-01-01-01-01\n03-03-03-03-03-03\n");
    EXPECT_EQ(Ending(outcome.waitStatus), "exit 0");
}

TEST(Listing, PrintsTheFirstSixAddressBytesWhateverTheLength)
{
    FakeQuery query;
    query.records = {
        Record({}),
        Record({0xDE, 0xAD, 0xBE, 0xEF}),
        {{0x80, 0x81, 0xFE, 0xFF, 0x7F, 0x9A}, 4},
        Record({0xFF, 0xFE, 0xC0, 0xA8, 0x80, 0x90, 0xAA, 0xBB}),
    };
    Outcome outcome = RunMaclist(query);
    EXPECT_EQ(outcome.out, "00-00-00-00-00-00\n"
                           "DE-AD-BE-EF-00-00\n"
                           "80-81-FE-FF-7F-9A\n"
                           "FF-FE-C0-A8-80-90\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(Ending(outcome.waitStatus), "exit 0");
}

TEST(Listing, ArgumentsChangeNothing)
{
    FakeQuery query;
    query.records = {Record({0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F}), Record({0xF0, 0xE0, 0xD0, 0xC0, 0xB0, 0xA0})};
    Outcome plain = RunMaclist(query);
    ASSERT_EQ(plain.out, "0A-0B-0C-0D-0E-0F\nF0-E0-D0-C0-B0-A0\n");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-?"}, {"/help"}, {"-x"}, {"x", "y", "z"}, {""}}) {
        Outcome outcome = RunMaclist(query, args);
        SCOPED_TRACE(::testing::PrintToString(args));
        EXPECT_EQ(outcome.out, plain.out);
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(Ending(outcome.waitStatus), "exit 0");
    }
}

TEST(Listing, UnwritableOutputIsAFailure)
{
    FakeQuery query;
    query.records = {Record({0x02, 0x11, 0x22, 0x33, 0x44, 0x55})};
    for (Stdout mode : {Stdout::Full, Stdout::Closed}) {
        Outcome outcome = RunMaclist(query, {}, mode);
        EXPECT_THAT(outcome.err, MatchesRegex(kOutputFailed));
        EXPECT_EQ(Ending(outcome.waitStatus), "exit 1");
    }
}

TEST(Listing, ReaderGoneEndsQuietlyByBrokenPipe)
{
    FakeQuery query;
    query.records = {Record({0x02, 0x11, 0x22, 0x33, 0x44, 0x55})};
    Outcome outcome = RunMaclist(query, {}, Stdout::BrokenPipe);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(Ending(outcome.waitStatus), "signal 13");
}

TEST(Listing, OverlongDiagnosticIsCutToOneLine)
{
    Outcome outcome = RunChild(Stdout::Captured, [] {
        // A cross build's program runs through the emulator that runs this test.
        const char* emulator = MACLIST_EMULATOR;
        if (*emulator != '\0')
            execl(emulator, emulator, MACLIST_LONGPATH, static_cast<char*>(nullptr));
        else
            execl(MACLIST_LONGPATH, MACLIST_LONGPATH, static_cast<char*>(nullptr));
        return 127;
    });
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err.size(), 511u);
    EXPECT_THAT(outcome.err,
                MatchesRegex("Assertion failed:  dwStatus == ERROR_SUCCESS /(long-directory-name/)+long[^\n]*\n"));
    EXPECT_EQ(Ending(outcome.waitStatus), "exit 1");
}

// Calls HandleOptions with the given argv; its result becomes the exit status.
Outcome RunHandleOptions(std::vector<std::string> args)
{
    return RunChild(Stdout::Captured, [&] { return CallWithArgs(HandleOptions, args); });
}

TEST(HandleOptions, HelpOptionsPrintUsage)
{
    Outcome outcome = RunHandleOptions({"prog", "-?", "/?", "-help", "/HELP", "-HeLp", "/?extra"});
    std::string expected;
    for (int i = 0; i < 6; i++)
        expected += "prog usage:\n";
    EXPECT_EQ(outcome.err, expected);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(Ending(outcome.waitStatus), "exit 0");
}

TEST(HandleOptions, OtherOptionsAreUnknownAndTheScanGoesOn)
{
    Outcome outcome = RunHandleOptions({"prog", "-h", "/helpme", "-hel", "-x", "/", "-", "--help", "-?"});
    EXPECT_EQ(outcome.err, "unknown option -h\n"
                           "unknown option /helpme\n"
                           "unknown option -hel\n"
                           "unknown option -x\n"
                           "unknown option /\n"
                           "unknown option -\n"
                           "unknown option --help\n"
                           "prog usage:\n");
    EXPECT_EQ(Ending(outcome.waitStatus), "exit 0");
}

TEST(HandleOptions, ReturnsTheFirstNonOptionAndStopsThere)
{
    Outcome outcome = RunHandleOptions({"prog", "-x", "file", "-?", "other"});
    EXPECT_EQ(outcome.err, "unknown option -x\n");
    EXPECT_EQ(Ending(outcome.waitStatus), "exit 2");

    EXPECT_EQ(Ending(RunHandleOptions({"prog", "file"}).waitStatus), "exit 1");
    EXPECT_EQ(Ending(RunHandleOptions({"prog", ""}).waitStatus), "exit 1");
    EXPECT_EQ(Ending(RunHandleOptions({"prog"}).waitStatus), "exit 0");
    EXPECT_EQ(Ending(RunHandleOptions({}).waitStatus), "exit 0");
}

TEST(Usage, WritesTheUsageLineToStandardError)
{
    Outcome outcome = RunChild(Stdout::Captured, [] {
        Usage("/usr/bin/maclist");
        return 0;
    });
    EXPECT_EQ(outcome.err, "/usr/bin/maclist usage:\n");
    EXPECT_EQ(outcome.out, "");
}

}  // namespace
