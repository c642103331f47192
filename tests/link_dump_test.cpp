// The link dump reader on messages made here, as the kernel of this machine
// cannot send them: long and short addresses, malformed lengths, error
// replies, replies to someone else, interrupted dumps; and the query itself
// over the real socket, with faults put into what it receives.
#include "platform/link_dump.h"

#include <errno.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const uint32_t kSequence = 7;
const uint32_t kPort = 4242;

struct Attribute {
    unsigned short type;
    std::vector<unsigned char> payload;
    int overstated = 0;  // added to rta_len: an attribute that claims more than it has
};

struct Message {
    unsigned short type;
    std::vector<Attribute> attributes = {};
    unsigned ifiFlags = IFF_BROADCAST;
    unsigned short flags = NLM_F_MULTI;
    uint32_t sequence = kSequence;
    uint32_t port = kPort;
    int status = 0;      // NLMSG_DONE's status, or NLMSG_ERROR's error
    size_t cut = 0;      // bytes taken off the end of the body, the length following
    int overstated = 0;  // added to nlmsg_len: a message that claims more than it has
};

std::vector<unsigned char> Bytes(size_t count, unsigned char first)
{
    std::vector<unsigned char> bytes;
    for (size_t i = 0; i < count; i++)
        bytes.push_back(static_cast<unsigned char>(first + i));
    return bytes;
}

// Lays the messages out as the kernel would, aligned, in one datagram.
std::vector<unsigned char> Datagram(const std::vector<Message>& messages)
{
    std::vector<unsigned char> datagram;
    for (const Message& m : messages) {
        std::vector<unsigned char> body;
        if (m.type == RTM_NEWLINK) {
            struct ifinfomsg link = {};
            link.ifi_flags = m.ifiFlags;
            body.assign(reinterpret_cast<unsigned char*>(&link), reinterpret_cast<unsigned char*>(&link + 1));
            for (const Attribute& a : m.attributes) {
                struct rtattr header = {static_cast<unsigned short>(RTA_LENGTH(a.payload.size()) + a.overstated),
                                        a.type};
                body.insert(body.end(), reinterpret_cast<unsigned char*>(&header),
                            reinterpret_cast<unsigned char*>(&header + 1));
                body.insert(body.end(), a.payload.begin(), a.payload.end());
                body.resize(RTA_ALIGN(body.size()));
            }
        } else if (m.type != NLMSG_NOOP) {
            body.resize(sizeof m.status);
            memcpy(body.data(), &m.status, sizeof m.status);
        }
        body.resize(body.size() - m.cut);
        struct nlmsghdr header = {static_cast<uint32_t>(NLMSG_LENGTH(body.size()) + m.overstated), m.type, m.flags,
                                  m.sequence, m.port};
        datagram.insert(datagram.end(), reinterpret_cast<unsigned char*>(&header),
                        reinterpret_cast<unsigned char*>(&header + 1));
        datagram.insert(datagram.end(), body.begin(), body.end());
        datagram.resize(NLMSG_ALIGN(datagram.size()));
    }
    return datagram;
}

struct Case {
    const char* name;
    std::vector<Message> messages;
    LinkDumpStep step;
    std::vector<std::string> records;  // "length aa:bb:cc:dd:ee:ff:gg:hh", in chain order
    bool interrupted;
    unsigned uncounted = 0;  // adapters counted beyond the four records that hold them
};

const Message kDone = {NLMSG_DONE};
const Message kLink = {RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 1)}}};

const Case kCases[] = {
    {"infiniband_address_keeps_eight_bytes",
     {{RTM_NEWLINK, {{IFLA_IFNAME, {'i', 'b', '0', 0}}, {IFLA_ADDRESS, Bytes(20, 0x80)}}}, kDone},
     LINK_DUMP_DONE,
     {"8 80:81:82:83:84:85:86:87"},
     false},
    {"short_and_missing_addresses_are_zero_filled",
     {{RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(4, 0xC0)}}}, {RTM_NEWLINK, {{IFLA_MTU, {0, 5, 0, 0}}}}, kDone},
     LINK_DUMP_DONE,
     {"4 c0:c1:c2:c3:00:00:00:00", "0 00:00:00:00:00:00:00:00"},
     false},
    {"loopback_is_no_adapter",
     {{RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 0)}}, IFF_LOOPBACK | IFF_UP},
      {RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 0x10)}}},
      kDone},
     LINK_DUMP_DONE,
     {"6 10:11:12:13:14:15:00:00"},
     false},
    {"dump_goes_on_without_done",
     {{RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 1)}}}},
     LINK_DUMP_MORE,
     {"6 01:02:03:04:05:06:00:00"},
     false},
    {"attribute_running_past_its_message",
     {{RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 1), 8}}}, kDone},
     LINK_DUMP_FAILED,
     {},
     false},
    {"error_reply", {{NLMSG_ERROR}}, LINK_DUMP_FAILED, {}, false},
    {"reply_to_another_request",
     {{RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 1)}}, IFF_BROADCAST, NLM_F_MULTI, kSequence + 1}, kDone},
     LINK_DUMP_FAILED,
     {},
     false},
    {"reply_to_another_socket",
     {{RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 1)}}, IFF_BROADCAST, NLM_F_MULTI, kSequence, kPort + 1}, kDone},
     LINK_DUMP_FAILED,
     {},
     false},
    {"dump_ending_in_error",
     {kLink, {NLMSG_DONE, {}, 0, NLM_F_MULTI, kSequence, kPort, -ENOBUFS}},
     LINK_DUMP_FAILED,
     {},
     false},
    {"message_running_past_its_datagram",
     {kLink, {NLMSG_DONE, {}, 0, NLM_F_MULTI, kSequence, kPort, 0, 0, 16}},
     LINK_DUMP_FAILED,
     {},
     false},
    {"message_after_done", {kLink, kDone, kLink}, LINK_DUMP_FAILED, {}, false},
    {"link_message_too_short_for_its_header",
     {{RTM_NEWLINK, {}, IFF_BROADCAST, NLM_F_MULTI, kSequence, kPort, 0, 4}, kDone},
     LINK_DUMP_FAILED,
     {},
     false},
    {"noop_between_links_is_passed_over",
     {kLink, {NLMSG_NOOP}, {RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 0x20)}}}, kDone},
     LINK_DUMP_DONE,
     {"6 01:02:03:04:05:06:00:00", "6 20:21:22:23:24:25:00:00"},
     false},
    {"links_beyond_the_records_are_counted_not_stored",
     {kLink, kLink, kLink, kLink, {RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 0x50)}}}, kLink, kDone},
     LINK_DUMP_DONE,
     {"6 01:02:03:04:05:06:00:00", "6 01:02:03:04:05:06:00:00", "6 01:02:03:04:05:06:00:00",
      "6 01:02:03:04:05:06:00:00"},
     false,
     2},
    {"interrupted_dump_is_marked",
     {{RTM_NEWLINK, {{IFLA_ADDRESS, Bytes(6, 1)}}, IFF_BROADCAST, NLM_F_MULTI | NLM_F_DUMP_INTR},
      {NLMSG_DONE, {}, 0, NLM_F_MULTI | NLM_F_DUMP_INTR}},
     LINK_DUMP_DONE,
     {"6 01:02:03:04:05:06:00:00"},
     true},
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class LinkDumpReading : public ::testing::TestWithParam<Case> {};

TEST_P(LinkDumpReading, ReadsWhatTheKernelSaid)
{
    const Case& c = GetParam();
    // Four records to fill, and one after them that must stay untouched.
    IP_ADAPTER_INFO records[5];
    memset(records, 0xA5, sizeof records);
    IP_ADAPTER_INFO untouched = records[4];
    LinkDump dump = {records, 4, 0, false};
    std::vector<unsigned char> datagram = Datagram(c.messages);

    // The fuzz target's seeds: its input is the sequence number, the port id, then the datagram.
    if (const char* corpus = getenv("LINK_DUMP_CORPUS")) {
        FILE* seed = fopen((std::string(corpus) + "/" + c.name + ".dump").c_str(), "wb");
        ASSERT_NE(seed, nullptr);
        fwrite(&kSequence, sizeof kSequence, 1, seed);
        fwrite(&kPort, sizeof kPort, 1, seed);
        fwrite(datagram.data(), 1, datagram.size(), seed);
        ASSERT_EQ(fclose(seed), 0);
    }
    EXPECT_EQ(ReadLinkDump(&dump, datagram.data(), datagram.size(), kSequence, kPort), c.step);
    EXPECT_EQ(dump.interrupted, c.interrupted);
    if (c.step == LINK_DUMP_FAILED)
        return;
    std::vector<std::string> chain;
    for (PIP_ADAPTER_INFO pRecord = dump.dwCount > 0 ? records : nullptr; pRecord != nullptr && chain.size() < 4;
         pRecord = pRecord->Next) {
        char line[64];
        const unsigned char* a = pRecord->Address;
        snprintf(line, sizeof line, "%u %02x:%02x:%02x:%02x:%02x:%02x:%02x:%02x", pRecord->AddressLength, a[0], a[1],
                 a[2], a[3], a[4], a[5], a[6], a[7]);
        chain.push_back(line);
    }
    EXPECT_EQ(chain, c.records);
    EXPECT_EQ(dump.dwCount, c.records.size() + c.uncounted);
    EXPECT_EQ(memcmp(&records[4], &untouched, sizeof untouched), 0) << "a record was written past the four";
}

INSTANTIATE_TEST_SUITE_P(Messages, LinkDumpReading, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// The query's receive call, wrapped at link time (--wrap=recvmsg): the
// kernel's real reply, then altered as the case says, for the faults this
// kernel does not make on demand.
struct ReceiveFault {
    const char* name;
    uint32_t interruptedDumps;  // the dumps numbered up to this one are marked interrupted
    bool truncated;             // the datagram arrives cut (MSG_TRUNC)
    uint32_t sender;            // a port other than the kernel's sends it
    bool listed;                // the query succeeds
    uint32_t dumps;             // how many dumps were asked for
};

ReceiveFault gFault;
uint32_t gLastSequence;

}  // namespace

extern "C" ssize_t __real_recvmsg(int socketFd, struct msghdr* pMessage, int flags);

extern "C" ssize_t __wrap_recvmsg(int socketFd, struct msghdr* pMessage, int flags)
{
    ssize_t received = __real_recvmsg(socketFd, pMessage, flags);
    int remaining = static_cast<int>(received);
    for (struct nlmsghdr* pHeader = static_cast<struct nlmsghdr*>(pMessage->msg_iov[0].iov_base);
         NLMSG_OK(pHeader, remaining); pHeader = NLMSG_NEXT(pHeader, remaining)) {
        gLastSequence = pHeader->nlmsg_seq;
        if (pHeader->nlmsg_seq <= gFault.interruptedDumps)
            pHeader->nlmsg_flags |= NLM_F_DUMP_INTR;
    }
    if (received > 0 && gFault.truncated)
        pMessage->msg_flags |= MSG_TRUNC;
    if (received > 0 && gFault.sender != 0)
        static_cast<struct sockaddr_nl*>(pMessage->msg_name)->nl_pid = gFault.sender;
    return received;
}

namespace {

const ReceiveFault kFaults[] = {
    {"as_sent", 0, false, 0, true, 1},
    {"interrupted_once_is_asked_again", 1, false, 0, true, 2},
    {"interrupted_every_time_fails_after_the_last_try", ~0u, false, 0, false, 4},
    {"cut_datagram", 0, true, 0, false, 1},
    {"datagram_not_from_the_kernel", 0, false, 4242, false, 1},
};

void PrintTo(const ReceiveFault& f, std::ostream* os)
{
    *os << f.name;
}

class LinkDumpReceiving : public ::testing::TestWithParam<ReceiveFault> {};

TEST_P(LinkDumpReceiving, QueryOnlyTrustsAWholeDumpFromTheKernel)
{
    gFault = GetParam();
    gLastSequence = 0;
    IP_ADAPTER_INFO records[64];
    DWORD dwBufLen = sizeof records;
    DWORD dwStatus = GetAdaptersInfo(records, &dwBufLen);
    // This machine's own links: there may be none but loopback.
    if (gFault.listed)
        EXPECT_TRUE(dwStatus == ERROR_SUCCESS || dwStatus == ERROR_NO_DATA) << dwStatus;
    else
        EXPECT_EQ(dwStatus, ERROR_NOT_SUPPORTED);
    EXPECT_EQ(gLastSequence, gFault.dumps);
}

INSTANTIATE_TEST_SUITE_P(Faults, LinkDumpReceiving, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<ReceiveFault>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
