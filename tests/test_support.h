// What the tests share: running code in a child process with its standard
// streams captured, throwaway network namespaces, and the diagnostic lines.
#ifndef TEST_SUPPORT_H
#define TEST_SUPPORT_H

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// The two diagnostics maclist can end with, as regular expressions.
extern const char* const kQueryFailed;
extern const char* const kOutputFailed;

// What the child's standard output is.
enum class Stdout {
    Captured,    // a file, read back afterwards
    Full,        // /dev/full: every write fails with ENOSPC
    Closed,      // descriptor 1 is not open
    BrokenPipe,  // a pipe whose reading end is already closed
};

struct Outcome {
    std::string out;
    std::string err;
    std::string extra;  // what the child wrote on descriptor 3
    int waitStatus = 0;
};

// Forks; the child, with its streams set up, runs body and exits with its
// result through exit(), so standard output is flushed as at a normal end.
Outcome RunChild(Stdout mode, const std::function<int()>& body);

// "exit N" or "signal N", for assertions that read well when they fail.
std::string Ending(int waitStatus);

// Empty when this machine lets us make network namespaces with links in them,
// otherwise why not.
const std::string& NamespaceUnavailable();

#define SKIP_WITHOUT_NAMESPACES()                       \
    do {                                                \
        if (!NamespaceUnavailable().empty())            \
            GTEST_SKIP() << NamespaceUnavailable();     \
    } while (0)

// The text as one word of a shell command, whatever it holds.
std::string Quoted(const std::string& text);

// Runs `sh -c script sh args...` in fresh network, mount and user namespaces.
Outcome RunInNamespace(Stdout mode, const std::string& script, const std::vector<std::string>& args);

// Interfaces of every kind this kernel lets a namespace make, with known
// addresses (ifb keeps the random one it is born with), one up, one without a
// hardware address, one with an IPv4 alias label.
extern const char* const kMixedSetup;

// Setup commands for the given number of veth pairs: twice as many interfaces.
std::string VethPairs(int pairs);

#endif
