#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

static std::string ReadAll(FILE* file)
{
    std::string text;
    rewind(file);
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    fclose(file);
    return text;
}

Outcome RunChild(Stdout mode, const std::function<int()>& body)
{
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    FILE* extra = tmpfile();
    int pipeEnds[2] = {-1, -1};
    if (out == nullptr || err == nullptr || extra == nullptr || pipe(pipeEnds) != 0) {
        ADD_FAILURE() << "cannot set up the child's streams";
        return {};
    }
    close(pipeEnds[0]);
    fflush(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL);
        switch (mode) {
        case Stdout::Captured:
            dup2(fileno(out), 1);
            break;
        case Stdout::Full:
            dup2(open("/dev/full", O_WRONLY), 1);
            break;
        case Stdout::Closed:
            close(1);
            break;
        case Stdout::BrokenPipe:
            dup2(pipeEnds[1], 1);
            break;
        }
        dup2(fileno(err), 2);
        dup2(fileno(extra), 3);
        closefrom(4);
        exit(body());
    }
    close(pipeEnds[1]);

    Outcome outcome;
    if (pid < 0 || waitpid(pid, &outcome.waitStatus, 0) != pid)
        ADD_FAILURE() << "cannot run the child";
    outcome.out = ReadAll(out);
    outcome.err = ReadAll(err);
    outcome.extra = ReadAll(extra);
    return outcome;
}

std::string Ending(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return "exit " + std::to_string(WEXITSTATUS(waitStatus));
    if (WIFSIGNALED(waitStatus))
        return "signal " + std::to_string(WTERMSIG(waitStatus));
    return "unknown ending " + std::to_string(waitStatus);
}
