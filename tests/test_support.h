// Runs code in a child process with its standard streams captured, and
// reports what it wrote and how it ended.
#ifndef CHILD_PROCESS_H
#define CHILD_PROCESS_H

#include <functional>
#include <string>

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

#endif
