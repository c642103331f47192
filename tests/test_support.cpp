#include "test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

const char* const kQueryFailed = "Assertion failed:  dwStatus == ERROR_SUCCESS src/maclist\\.cpp [1-9][0-9]*\n";
const char* const kOutputFailed =
    "Assertion failed:  fflush\\(stdout\\) == 0 && !ferror\\(stdout\\) src/maclist\\.cpp [1-9][0-9]*\n";

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

const std::string& NamespaceUnavailable()
{
    static const std::string reason = [] {
        if (system("command -v unshare >/dev/null && command -v ip >/dev/null") != 0)
            return std::string("unshare or ip (util-linux, iproute2) is not installed");
        if (system("unshare -rnm sh -c 'mount -t sysfs sysfs /sys && ip link add maclist0 type veth peer name "
                   "maclist1' >/dev/null 2>&1") != 0)
            return std::string("no right to make a network namespace with links in it and a sysfs of its own "
                               "(unshare -rnm, then mount -t sysfs, failed)");
        return std::string();
    }();
    return reason;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Outcome RunInNamespace(Stdout mode, const std::string& script, const std::vector<std::string>& args)
{
    return RunChild(mode, [&] {
        std::vector<const char*> argv = {"unshare", "-rnm", "sh", "-c", script.c_str(), "sh"};
        for (const std::string& arg : args)
            argv.push_back(arg.c_str());
        argv.push_back(nullptr);
        execvp(argv[0], const_cast<char* const*>(argv.data()));
        return 127;
    });
}

const char* const kMixedSetup = "ip link add v0 type veth peer name v1\n"
                                "ip link set v0 address 02:1a:2b:3c:4d:5e\n"
                                "ip link set v1 address 0a:80:fe:ff:00:01\n"
                                "ip link add br0 type bridge\n"
                                "ip link set br0 address 02:00:00:00:00:a0\n"
                                "ip link add ifb0 type ifb\n"
                                "ip link set ifb0 up\n"
                                "ip tuntap add tap0 mode tap\n"
                                "ip link set tap0 address 12:34:56:78:9a:bc\n"
                                "ip tuntap add tun0 mode tun\n"
                                "ip addr add 198.51.100.1/24 dev v0 label v0:1\n";

std::string VethPairs(int pairs)
{
    std::string setup;
    for (int i = 0; i < pairs; i++)
        setup += "ip link add a" + std::to_string(i) + " type veth peer name b" + std::to_string(i) + "\n";
    return setup;
}
