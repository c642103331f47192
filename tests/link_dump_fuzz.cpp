// What must hold for the link dump reader on any bytes at all: the input's
// first eight bytes are the sequence number and the port id to expect, the
// rest one datagram. Built with libFuzzer, this is the fuzz target; built with
// MACLIST_CORPUS_REPLAY, a program that runs the same checks on each file it
// is given, so that every build replays the corpus.
#include "platform/link_dump.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const DWORD kCapacity = 16;

uint32_t Word(const unsigned char* p)
{
    uint32_t word;
    memcpy(&word, p, sizeof word);
    return word;
}

uint16_t Half(const unsigned char* p)
{
    uint16_t half;
    memcpy(&half, p, sizeof half);
    return half;
}

size_t Aligned(size_t length)
{
    return (length + 3) & ~size_t{3};
}

// Whether the attributes from offset to end fill it exactly.
bool AttributesFill(const unsigned char* p, size_t offset, size_t end)
{
    while (end - offset >= 4) {
        size_t length = Half(p + offset);
        if (length < 4 || length > end - offset)
            return false;
        offset += Aligned(length);
        if (offset >= end)
            return true;
    }
    return offset >= end;
}

// Whether the datagram is a complete, well-formed reply to this request: link
// messages, each whole, and no-ops, all naming the request, up to an
// NLMSG_DONE with no error status that ends the datagram. Worked out by offsets, apart from the
// reader's own walk.
bool WholeReply(const unsigned char* p, size_t length, uint32_t sequence, uint32_t port)
{
    size_t offset = 0;
    while (length - offset >= 16) {
        size_t size = Word(p + offset);
        uint16_t type = Half(p + offset + 4);
        if (size < 16 || size > length - offset || Word(p + offset + 8) != sequence ||
            Word(p + offset + 12) != port)
            return false;
        if (type == NLMSG_DONE)
            return (size < 20 || static_cast<int32_t>(Word(p + offset + 16)) >= 0) &&
                   Aligned(size) >= length - offset;
        if (type == RTM_NEWLINK) {
            if (size < 32 || !AttributesFill(p, offset + 32, offset + size))
                return false;
        } else if (type != NLMSG_NOOP) {
            return false;
        }
        offset += Aligned(size);
        if (offset >= length)
            return false;
    }
    return false;
}

void Require(bool condition, const char* what)
{
    if (!condition) {
        fprintf(stderr, "link dump reader: %s\n", what);
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    uint32_t sequence = Word(data);
    uint32_t port = Word(data + 4);
    // The datagram alone in memory of its exact size, so that any read past
    // it is caught.
    size_t length = size - 8;
    unsigned char* datagram = static_cast<unsigned char*>(malloc(length > 0 ? length : 1));
    Require(datagram != nullptr, "no memory for the datagram");
    memcpy(datagram, data + 8, length);

    IP_ADAPTER_INFO records[kCapacity + 1];
    memset(records, 0xA5, sizeof records);
    const IP_ADAPTER_INFO untouched = records[kCapacity];
    LinkDump dump = {records, kCapacity, 0, false};
    LinkDumpStep step = ReadLinkDump(&dump, datagram, length, sequence, port);

    Require(memcmp(&records[kCapacity], &untouched, sizeof untouched) == 0, "a record was written past the buffer");
    DWORD stored = dump.dwCount < kCapacity ? dump.dwCount : kCapacity;
    for (DWORD i = 0; i < stored; i++) {
        Require(records[i].AddressLength <= MAX_ADAPTER_ADDRESS_LENGTH, "an address longer than eight bytes");
        Require(records[i].Next == (i + 1 < stored ? &records[i + 1] : nullptr),
                "the records do not chain in array order to a null link");
    }
    if (step == LINK_DUMP_DONE)
        Require(WholeReply(datagram, length, sequence, port), "a malformed reply was taken as a whole dump");
    free(datagram);
    return 0;
}

#ifdef MACLIST_CORPUS_REPLAY
// usage: link_dump_replay FILE...
int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        FILE* file = fopen(argv[i], "rb");
        if (file == nullptr) {
            perror(argv[i]);
            return 1;
        }
        static unsigned char input[1 << 20];
        size_t size = fread(input, 1, sizeof input, file);
        bool whole = feof(file) && !ferror(file);
        fclose(file);
        if (!whole) {
            fprintf(stderr, "%s: cannot read it whole\n", argv[i]);
            return 1;
        }
        LLVMFuzzerTestOneInput(input, size);
    }
    printf("%d inputs replayed\n", argc - 1);
    return argc > 1 ? 0 : 1;
}
#endif
