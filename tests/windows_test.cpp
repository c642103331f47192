// The Windows executables, run under wine, against the native command: in one
// namespace, over the same interfaces, each must print the same lines (line
// endings aside), write the same diagnostic and end with the same status;
// where the Windows query has less room than the Linux one, it must fail with
// the query diagnostic and print nothing, never part of the list. And each
// executable's installer: it puts maclist on the machine's PATH, a later
// version replaces it, an earlier one is refused over that, and the removal
// leaves no folder and PATH as it was.
#include "test_support.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

const char* const kWineServer = "/usr/lib/wine/wineserver";

struct WindowsTarget {
    const char* name;
    const char* exe;     // empty when the cross compiler was not there to build it
    const char* loader;  // wine's loader for programs of this width
    const char* msi;     // its installer, and one of the next version: empty where
    const char* nextMsi; // wixl and msitools were not there to make them
    const char* programFiles;  // where a 64-bit Windows installs programs of this width
};

const WindowsTarget kTargets[] = {
    {"x86", MACLIST_WINDOWS_X86, "/usr/lib/wine/wine", MACLIST_MSI_X86, MACLIST_NEXT_MSI_X86, "Program Files (x86)"},
    {"x64", MACLIST_WINDOWS_X64, "/usr/lib/wine/wine64", MACLIST_MSI_X64, MACLIST_NEXT_MSI_X64, "Program Files"},
};

// What the Windows executable does where the native command lists.
enum class Windows {
    AsNative,
    // Its buffer of 16 records also holds the adapters' further IPv4
    // addresses (under wine, every IPv4 address of the machine, loopback's
    // too), so it can be full with fewer than 16 adapters.
    QueryFails,
};

struct Case {
    const char* name;
    std::string setup;
    std::vector<std::string> args;
    const char* redirect;  // applied to both programs' standard output
    Windows windows = Windows::AsNative;
};

// Setup commands giving each interface of VethPairs(pairs) the given number
// of IPv4 addresses, from the documentation range: nothing is ever sent.
std::string Ipv4Addresses(int pairs, int each)
{
    std::string setup;
    int host = 1;
    for (int i = 0; i < pairs; i++)
        for (const char* side : {"a", "b"})
            for (int n = 0; n < each; n++)
                setup += "ip addr add 192.0.2." + std::to_string(host++) + "/32 dev " + side + std::to_string(i) + "\n";
    return setup;
}

const Case kCases[] = {
    {"mixed", kMixedSetup, {}, ""},
    {"no_adapters", "", {}, ""},
    {"sixteen", VethPairs(8), {}, ""},
    {"seventeen", VethPairs(8) + "ip link add br0 type bridge\n", {}, ""},
    {"sixteen_loopback_up", VethPairs(8) + "ip link set lo up\n", {}, "", Windows::QueryFails},
    {"fourteen_two_addresses_each", VethPairs(7) + Ipv4Addresses(7, 2), {}, ""},
    {"fourteen_four_addresses_each", VethPairs(7) + Ipv4Addresses(7, 4), {}, "", Windows::QueryFails},
    {"question_mark", kMixedSetup, {"-?"}, ""},
    {"slash_help", kMixedSetup, {"/help"}, ""},
    {"words", kMixedSetup, {"x", "y", "z"}, ""},
    {"closed_stdout", kMixedSetup, {}, ">&-"},
    {"full_stdout", kMixedSetup, {}, ">/dev/full"},
};

// The build tree's own wine prefix, unless MACLIST_WINE_PREFIX names a ready
// one: the emulated x86 machine brings its own.
std::string WinePrefix()
{
    const char* prefix = getenv("MACLIST_WINE_PREFIX");
    return prefix != nullptr && *prefix != '\0' ? prefix : MACLIST_WINE_PREFIX;
}

// Our own prefix, quiet, and no offer to install wine's optional components.
std::string WineEnvironment()
{
    return "export WINEPREFIX=" + Quoted(WinePrefix()) +
           " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY=\n";
}

// Empty when this target's executable can be run under wine here, otherwise why not.
std::string TargetUnavailable(const WindowsTarget& target)
{
    if (*target.exe == '\0')
        return std::string("the ") + target.name + " Windows executable was not built (no MinGW-w64 cross compiler)";
    if (access(target.loader, X_OK) != 0)
        return std::string(target.loader) + " is not installed (wine for " + target.name + ")";
    Outcome probe = RunChild(Stdout::Captured, [&] {
        execl(target.loader, target.loader, "--version", static_cast<char*>(nullptr));
        fprintf(stderr, "%s%s", strerror(errno),
                errno == ENOEXEC ? ": this kernel does not run programs of its width" : "");
        return 127;
    });
    if (probe.waitStatus != 0)
        return std::string(target.loader) + " cannot run on this machine (" + probe.err + ")";
    return std::string();
}

// Boots the wine prefix in the build tree the first time any test needs it.
void EnsureWinePrefix(const WindowsTarget& target)
{
    if (access((WinePrefix() + "/system.reg").c_str(), F_OK) == 0)
        return;
    std::string command = WineEnvironment() + "WINEARCH=win64 " + target.loader +
                          " wineboot -i >/dev/null 2>&1\n" + kWineServer + " -w";
    ASSERT_EQ(system(command.c_str()), 0) << command;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string WithoutCarriageReturns(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

struct Result {
    std::string out, err, status;
};

void PrintTo(const WindowsTarget& target, std::ostream* os)
{
    *os << target.name;
}

void PrintTo(const Case& testCase, std::ostream* os)
{
    *os << testCase.name;
}

class Differential : public ::testing::TestWithParam<std::tuple<WindowsTarget, Case>> {};

TEST_P(Differential, WindowsBehavesAsNative)
{
    const WindowsTarget& target = std::get<0>(GetParam());
    const Case& testCase = std::get<1>(GetParam());
    SKIP_WITHOUT_NAMESPACES();
    std::string unavailable = TargetUnavailable(target);
    if (!unavailable.empty())
        GTEST_SKIP() << unavailable;
    EnsureWinePrefix(target);

    char dir[] = "/tmp/maclist-windows-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string d = dir;
    // Each program's standard streams go to files, then the redirection of the
    // case applies on top; its exit status goes to a file of its own.
    auto run = [&](const std::string& command, const std::string& name) {
        return command + " \"$@\" >" + Quoted(d + "/" + name + ".out") + " 2>" + Quoted(d + "/" + name + ".err") +
               " " + testCase.redirect + "; echo $? >" + Quoted(d + "/" + name + ".status") + "\n";
    };
    // No wine server may outlive its namespace: a later case would get the
    // adapters of this one from it.
    std::string stopWineServer = std::string(kWineServer) + " -k; " + kWineServer + " -w\n";
    std::string script = "set -e\nexec >&3 2>&3\n" + testCase.setup + "set +e\n" + WineEnvironment() +
                         stopWineServer + run(Quoted(MACLIST_BINARY), "native") +
                         run(std::string(target.loader) + " " + Quoted(target.exe), "windows") + stopWineServer;
    Outcome outcome = RunInNamespace(Stdout::Captured, script, testCase.args);
    Result native{ReadFile(d + "/native.out"), ReadFile(d + "/native.err"), ReadFile(d + "/native.status")};
    Result windows{WithoutCarriageReturns(ReadFile(d + "/windows.out")),
                   WithoutCarriageReturns(ReadFile(d + "/windows.err")), ReadFile(d + "/windows.status")};
    EXPECT_EQ(system(("rm -rf " + Quoted(d)).c_str()), 0);

    SCOPED_TRACE("namespace run:\n" + outcome.extra);
    // A comparison of two programs that never ran would prove nothing.
    ASSERT_TRUE(native.status == "0\n" || native.status == "1\n") << native.status << native.err;
    ASSERT_FALSE(native.out.empty() && native.err.empty());
    if (testCase.windows == Windows::QueryFails) {
        ASSERT_EQ(native.status, "0\n") << native.err;
        EXPECT_EQ(windows.out, "") << "a partial listing";
        EXPECT_THAT(windows.err, ::testing::MatchesRegex(kQueryFailed));
        EXPECT_EQ(windows.status, "1\n");
        return;
    }
    EXPECT_EQ(windows.out, native.out);
    EXPECT_EQ(windows.err, native.err);
    EXPECT_EQ(windows.status, native.status);
}

// The installer, in a throwaway copy of the prefix, in a namespace with
// adapters: installed silently, then the next version over it, then an
// attempt to go back, then removed. The copy's files are hard links but for
// the registry's, which wine would write in place while they had two links.
const char* const kMsiScript = R"(set +e
base=$1 prefix=$2 results=$3 loader=$4 msi=$5 next=$6 folder=$7 native=$8 wineserver=$9
export LC_ALL=C WINEPREFIX="$prefix"
cp -al "$base" "$prefix" && cp --remove-destination "$base"/*.reg "$prefix"/ || exit 1
environment='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
products='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
path() { "$loader" reg query "$environment" /v PATH | tr -d '\r' | sed -n 's/^ *PATH  *REG_[A-Z_]*  *//p'; }
# The version of every product named maclist.
installed() {
    "$loader" reg query "$products" </dev/null | tr -d '\r' | grep '^HKEY.*\\Uninstall\\.' | while read -r key; do
        "$loader" reg query "$key" </dev/null | tr -d '\r' |
            awk '$1 == "DisplayName" { name = $3 } $1 == "DisplayVersion" { version = $3 }
                 END { if (name == "maclist") print version }'
    done
}
"$wineserver" -k; "$wineserver" -w
path >"$results/path.before"
"$loader" msiexec /i "$msi" /qn; echo $? >"$results/install.status"
path >"$results/path.installed"
cp -r "$prefix/drive_c/$folder/maclist" "$results/installed" && ls "$results/installed" >"$results/files"
"$native" >"$results/native.out"
"$loader" cmd /c maclist >"$results/windows.out"
"$loader" msiexec /i "$next" /qn; echo $? >"$results/upgrade.status"
"$loader" msiexec /i "$msi" /qn; echo $? >"$results/downgrade.status"
installed >"$results/products"
"$loader" msiexec /x "$next" /qn; echo $? >"$results/remove.status"
path >"$results/path.removed"
ls "$prefix/drive_c/$folder" | grep -x maclist >"$results/left"
"$wineserver" -k; "$wineserver" -w
)";

class Msi : public ::testing::TestWithParam<WindowsTarget> {};

TEST_P(Msi, InstallsOnPathUpgradesAndRemoves)
{
    const WindowsTarget& target = GetParam();
    SKIP_WITHOUT_NAMESPACES();
    std::string unavailable = TargetUnavailable(target);
    if (!unavailable.empty())
        GTEST_SKIP() << unavailable;
    if (*target.msi == '\0')
        GTEST_SKIP() << "the installer was not made: wixl, msitools or uuid-runtime is not installed";
    EnsureWinePrefix(target);

    char dir[] = "/tmp/maclist-msi-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    std::string d = dir, prefix = WinePrefix() + "-msi-" + (strrchr(dir, '-') + 1);
    Outcome outcome = RunInNamespace(Stdout::Captured, "set -e\nexec >&3 2>&3\n" + std::string(kMixedSetup) +
                                                           WineEnvironment() + kMsiScript,
                                     {WinePrefix(), prefix, d, target.loader, target.msi, target.nextMsi,
                                      target.programFiles, MACLIST_BINARY, kWineServer});
    auto result = [&](const char* name) { return ReadFile(d + "/" + name); };
    std::string entry = std::string("C:\\") + target.programFiles + "\\maclist\\;";
    SCOPED_TRACE("namespace run:\n" + outcome.extra);

    ASSERT_NE(result("path.before"), "") << "reg query read no PATH";
    EXPECT_EQ(result("install.status"), "0\n");
    EXPECT_EQ(result("path.installed"), entry + result("path.before")) << "the folder first on the machine's PATH";
    // The build's four files, as the zip holds them, and nothing else (in
    // the order ls gives them).
    const std::string shipped[] = {"LICENSE.txt", "README.txt", "THIRD-PARTY-NOTICES.txt", "maclist.exe"};
    std::string listing, tree = std::string(target.exe).substr(0, std::string(target.exe).rfind('/'));
    for (const std::string& file : shipped) {
        listing += file + "\n";
        EXPECT_TRUE(ReadFile(d + "/installed/" + file) == ReadFile(tree + "/" + file)) << file << " is not the build's";
    }
    EXPECT_EQ(result("files"), listing);
    ASSERT_NE(result("native.out"), "");
    EXPECT_EQ(WithoutCarriageReturns(result("windows.out")), result("native.out")) << "maclist, found on PATH";
    EXPECT_EQ(result("upgrade.status"), "0\n");
    EXPECT_NE(result("downgrade.status"), "0\n") << "an earlier version installed over a later one";
    EXPECT_EQ(result("products"), MACLIST_NEXT_VERSION "\n") << "one maclist installed, of the next version";
    EXPECT_EQ(result("remove.status"), "0\n");
    EXPECT_EQ(result("path.removed"), result("path.before"));
    EXPECT_EQ(result("left"), "") << "the maclist folder outlived the removal";
    EXPECT_EQ(system(("rm -rf " + Quoted(d) + " " + Quoted(prefix)).c_str()), 0);
}

INSTANTIATE_TEST_SUITE_P(Wine, Msi, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<WindowsTarget>& info) { return info.param.name; });

std::string CaseName(const ::testing::TestParamInfo<Differential::ParamType>& info)
{
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Wine, Differential,
                         ::testing::Combine(::testing::ValuesIn(kTargets), ::testing::ValuesIn(kCases)), CaseName);

}  // namespace
