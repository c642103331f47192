// The link dump reader on messages made here, as the kernel of this machine
// cannot send them: long and short addresses, malformed lengths, error
// replies, replies to someone else, interrupted dumps.
#include "platform/link_dump.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <stdio.h>
#include <string.h>

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
        } else {
            body.resize(sizeof(int));  // NLMSG_DONE's status, or NLMSG_ERROR's error: 0
        }
        struct nlmsghdr header = {static_cast<uint32_t>(NLMSG_LENGTH(body.size())), m.type, m.flags, m.sequence,
                                  kPort};
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
};

const Message kDone = {NLMSG_DONE};

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
    IP_ADAPTER_INFO records[4];
    memset(records, 0xA5, sizeof records);
    LinkDump dump = {records, 4, 0, false};
    std::vector<unsigned char> datagram = Datagram(c.messages);

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
    EXPECT_EQ(dump.dwCount, c.records.size());
}

INSTANTIATE_TEST_SUITE_P(Messages, LinkDumpReading, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
