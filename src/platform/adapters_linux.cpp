// GetAdaptersInfo over getifaddrs(3): libc holds the whole conversation with
// the kernel, so one call yields every interface of the namespace.
#include "platform.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <string.h>

// getifaddrs lists each interface once as a link entry, whose address is the
// hardware address (AF_PACKET) or null when the interface has none, and then
// once per protocol address; IPv4 alias labels such as eth0:1 are only ever
// protocol addresses.
static bool IsAdapter(const struct ifaddrs* pEntry)
{
    if (pEntry->ifa_flags & IFF_LOOPBACK)
        return false;
    return pEntry->ifa_addr == nullptr || pEntry->ifa_addr->sa_family == AF_PACKET;
}

static void FillRecord(PIP_ADAPTER_INFO pRecord, const struct ifaddrs* pEntry)
{
    memset(pRecord, 0, sizeof *pRecord);
    if (pEntry->ifa_addr == nullptr)
        return;
    const struct sockaddr_ll* pLink = reinterpret_cast<const struct sockaddr_ll*>(pEntry->ifa_addr);
    unsigned int length = pLink->sll_halen;
    if (length > MAX_ADAPTER_ADDRESS_LENGTH)
        length = MAX_ADAPTER_ADDRESS_LENGTH;
    memcpy(pRecord->Address, pLink->sll_addr, length);
    pRecord->AddressLength = length;
}

DWORD GetAdaptersInfo(PIP_ADAPTER_INFO pAdapterInfo, DWORD* pOutBufLen)
{
    if (pOutBufLen == nullptr)
        return ERROR_INVALID_PARAMETER;

    struct ifaddrs* pList = nullptr;
    if (getifaddrs(&pList) != 0)
        return ERROR_NOT_SUPPORTED;

    DWORD dwCount = 0;
    for (const struct ifaddrs* pEntry = pList; pEntry != nullptr; pEntry = pEntry->ifa_next)
        if (IsAdapter(pEntry))
            dwCount++;

    DWORD dwStatus = ERROR_SUCCESS;
    if (dwCount == 0) {
        dwStatus = ERROR_NO_DATA;
    } else if (dwCount > *pOutBufLen / sizeof(IP_ADAPTER_INFO)) {
        *pOutBufLen = dwCount * sizeof(IP_ADAPTER_INFO);
        dwStatus = ERROR_BUFFER_OVERFLOW;
    } else if (pAdapterInfo == nullptr) {
        dwStatus = ERROR_INVALID_PARAMETER;
    } else {
        PIP_ADAPTER_INFO pRecord = pAdapterInfo;
        for (const struct ifaddrs* pEntry = pList; pEntry != nullptr; pEntry = pEntry->ifa_next) {
            if (!IsAdapter(pEntry))
                continue;
            FillRecord(pRecord, pEntry);
            if (pRecord != pAdapterInfo)
                pRecord[-1].Next = pRecord;
            pRecord++;
        }
    }

    freeifaddrs(pList);
    return dwStatus;
}
