// Reading the kernel's answer to an rtnetlink link dump (RTM_GETLINK) into
// adapter records. Kept apart from the socket so that it works on any bytes.
#ifndef MACLIST_LINK_DUMP_H
#define MACLIST_LINK_DUMP_H

#include "platform.h"

#include <stddef.h>
#include <stdint.h>

// What a dump has yielded so far: the adapters (every link but loopback),
// stored into the caller's records as far as they fit and counted beyond.
struct LinkDump {
    PIP_ADAPTER_INFO pRecords;
    DWORD dwCapacity;
    DWORD dwCount;
    bool interrupted;  // the kernel marked a message NLM_F_DUMP_INTR
};

enum LinkDumpStep {
    LINK_DUMP_MORE,    // the dump goes on in the next datagram
    LINK_DUMP_DONE,    // NLMSG_DONE arrived; the dump is whole unless interrupted
    LINK_DUMP_FAILED,  // an error reply, a malformed message, or one not ours
};

// Reads one datagram of the reply to the dump request numbered dwSequence
// from the socket bound to dwPortId. Records are chained through Next.
LinkDumpStep ReadLinkDump(LinkDump* pDump, const void* pDatagram, size_t length, uint32_t dwSequence,
                          uint32_t dwPortId);

#endif
