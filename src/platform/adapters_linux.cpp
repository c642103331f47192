// GetAdaptersInfo over one rtnetlink link dump: the kernel lists every
// interface of the network namespace with its hardware address, and nothing
// else is asked for: no protocol address, however many there are.
#include "link_dump.h"

#include <errno.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

// Takes one link's message; false when it is malformed.
static bool ReadLink(LinkDump* pDump, const struct nlmsghdr* pMessage)
{
    if (pMessage->nlmsg_len < NLMSG_LENGTH(sizeof(struct ifinfomsg)))
        return false;
    const struct ifinfomsg* pLink = static_cast<const struct ifinfomsg*>(NLMSG_DATA(pMessage));
    const struct rtattr* pAddress = nullptr;
    int length = static_cast<int>(IFLA_PAYLOAD(pMessage));
    for (const struct rtattr* pAttribute = IFLA_RTA(pLink); RTA_OK(pAttribute, length);
         pAttribute = RTA_NEXT(pAttribute, length))
        if (pAttribute->rta_type == IFLA_ADDRESS)
            pAddress = pAttribute;
    // Bytes left that are not a whole attribute: one ran past the message.
    if (length > 0)
        return false;

    if (pLink->ifi_flags & IFF_LOOPBACK)
        return true;
    if (pDump->dwCount < pDump->dwCapacity) {
        PIP_ADAPTER_INFO pRecord = &pDump->pRecords[pDump->dwCount];
        memset(pRecord, 0, sizeof *pRecord);
        if (pAddress != nullptr) {
            size_t size = RTA_PAYLOAD(pAddress);
            if (size > MAX_ADAPTER_ADDRESS_LENGTH)
                size = MAX_ADAPTER_ADDRESS_LENGTH;
            memcpy(pRecord->Address, RTA_DATA(pAddress), size);
            pRecord->AddressLength = static_cast<unsigned int>(size);
        }
        if (pDump->dwCount > 0)
            pRecord[-1].Next = pRecord;
    }
    pDump->dwCount++;
    return true;
}

LinkDumpStep ReadLinkDump(LinkDump* pDump, const void* pDatagram, size_t length, uint32_t dwSequence,
                          uint32_t dwPortId)
{
    int remaining = static_cast<int>(length);
    for (const struct nlmsghdr* pMessage = static_cast<const struct nlmsghdr*>(pDatagram);
         NLMSG_OK(pMessage, remaining); pMessage = NLMSG_NEXT(pMessage, remaining)) {
        if (pMessage->nlmsg_seq != dwSequence || pMessage->nlmsg_pid != dwPortId)
            return LINK_DUMP_FAILED;
        if (pMessage->nlmsg_flags & NLM_F_DUMP_INTR)
            pDump->interrupted = true;
        switch (pMessage->nlmsg_type) {
        case RTM_NEWLINK:
            if (!ReadLink(pDump, pMessage))
                return LINK_DUMP_FAILED;
            break;
        case NLMSG_DONE: {
            // The dump's own status follows the header; a negative one is an
            // error. The kernel sends nothing after it.
            int status = 0;
            if (pMessage->nlmsg_len >= NLMSG_LENGTH(sizeof status))
                memcpy(&status, NLMSG_DATA(pMessage), sizeof status);
            bool last = remaining <= static_cast<int>(NLMSG_ALIGN(pMessage->nlmsg_len));
            return status >= 0 && last ? LINK_DUMP_DONE : LINK_DUMP_FAILED;
        }
        case NLMSG_NOOP:
            break;
        default:  // NLMSG_ERROR, NLMSG_OVERRUN, or anything a link dump never sends
            return LINK_DUMP_FAILED;
        }
    }
    // Bytes left that are not a whole message: one ran past the datagram.
    return remaining > 0 ? LINK_DUMP_FAILED : LINK_DUMP_MORE;
}

// The kernel never makes a dump datagram larger than this once it has seen a
// receive buffer of this size (32 KiB less its own bookkeeping), unless one
// link's message alone is larger: such a datagram arrives cut (MSG_TRUNC) and
// fails the query rather than lose a link.
static const size_t kDatagramSize = 32768;

// A dump that links changed under is asked again, this many times in all.
static const uint32_t kDumpAttempts = 4;

static bool SendDumpRequest(int socketFd, uint32_t dwSequence)
{
    struct {
        struct nlmsghdr header;
        struct ifinfomsg link;
        struct rtattr maskHeader;
        uint32_t mask;
    } request;
    memset(&request, 0, sizeof request);
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETLINK;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = dwSequence;
    request.link.ifi_family = AF_UNSPEC;
    // Counters are all the kernel could leave out: the messages get shorter.
    request.maskHeader.rta_type = IFLA_EXT_MASK;
    request.maskHeader.rta_len = RTA_LENGTH(sizeof request.mask);
    request.mask = RTEXT_FILTER_SKIP_STATS;

    struct sockaddr_nl kernel;
    memset(&kernel, 0, sizeof kernel);
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do
        sent = sendto(socketFd, &request, sizeof request, 0, reinterpret_cast<struct sockaddr*>(&kernel),
                      sizeof kernel);
    while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(sizeof request);
}

// One whole dump into pDump; false when the conversation failed.
static bool DumpLinks(int socketFd, LinkDump* pDump, uint32_t dwSequence)
{
    if (!SendDumpRequest(socketFd, dwSequence))
        return false;
    // The port the kernel bound the socket to on sending: its replies name it.
    struct sockaddr_nl local;
    socklen_t localSize = sizeof local;
    if (getsockname(socketFd, reinterpret_cast<struct sockaddr*>(&local), &localSize) != 0)
        return false;

    alignas(struct nlmsghdr) unsigned char datagram[kDatagramSize];
    for (;;) {
        struct sockaddr_nl sender;
        struct iovec vector = {datagram, sizeof datagram};
        struct msghdr message;
        memset(&message, 0, sizeof message);
        message.msg_name = &sender;
        message.msg_namelen = sizeof sender;
        message.msg_iov = &vector;
        message.msg_iovlen = 1;
        ssize_t received;
        do
            received = recvmsg(socketFd, &message, 0);
        while (received < 0 && errno == EINTR);
        if (received < 0 || (message.msg_flags & MSG_TRUNC) || message.msg_namelen != sizeof sender ||
            sender.nl_pid != 0)
            return false;
        switch (ReadLinkDump(pDump, datagram, static_cast<size_t>(received), dwSequence, local.nl_pid)) {
        case LINK_DUMP_MORE:
            break;
        case LINK_DUMP_DONE:
            return true;
        case LINK_DUMP_FAILED:
            return false;
        }
    }
}

DWORD GetAdaptersInfo(PIP_ADAPTER_INFO pAdapterInfo, DWORD* pOutBufLen)
{
    if (pOutBufLen == nullptr)
        return ERROR_INVALID_PARAMETER;

    int socketFd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (socketFd < 0)
        return ERROR_NOT_SUPPORTED;
    // How many records the caller's buffer holds.
    const DWORD dwFits = *pOutBufLen / DWORD{sizeof(IP_ADAPTER_INFO)};
    LinkDump dump = {};
    bool dumped = false;
    for (uint32_t dwSequence = 1; !dumped && dwSequence <= kDumpAttempts; dwSequence++) {
        dump = {pAdapterInfo, pAdapterInfo != nullptr ? dwFits : 0, 0, false};
        if (!DumpLinks(socketFd, &dump, dwSequence))
            break;
        dumped = !dump.interrupted;
    }
    close(socketFd);

    if (!dumped)
        return ERROR_NOT_SUPPORTED;
    if (dump.dwCount == 0)
        return ERROR_NO_DATA;
    if (dump.dwCount > dwFits) {
        *pOutBufLen = dump.dwCount * DWORD{sizeof(IP_ADAPTER_INFO)};
        return ERROR_BUFFER_OVERFLOW;
    }
    if (pAdapterInfo == nullptr)
        return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}
