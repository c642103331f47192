// Calls the Linux GetAdaptersInfo the ways the command never does and prints
// what it answers, so the tests can hold it to its contract: the statuses for
// missing arguments and short buffers, the size it asks for, and each record's
// AddressLength and all eight Address bytes.
#include "platform/platform.h"

#include <stdio.h>

int main()
{
    printf("null length: %u\n", static_cast<unsigned>(GetAdaptersInfo(nullptr, nullptr)));

    DWORD dwLen = 0;
    DWORD dwStatus = GetAdaptersInfo(nullptr, &dwLen);
    printf("empty buffer: %u", static_cast<unsigned>(dwStatus));
    if (dwStatus == ERROR_BUFFER_OVERFLOW)
        printf(", needs %.3f records", static_cast<double>(dwLen) / sizeof(IP_ADAPTER_INFO));
    printf("\n");

    static IP_ADAPTER_INFO records[64];
    dwLen = sizeof records;
    printf("null buffer: %u\n", static_cast<unsigned>(GetAdaptersInfo(nullptr, &dwLen)));

    dwStatus = GetAdaptersInfo(records, &dwLen);
    printf("full buffer: %u\n", static_cast<unsigned>(dwStatus));
    if (dwStatus != ERROR_SUCCESS)
        return 0;
    for (PIP_ADAPTER_INFO pRecord = records; pRecord != nullptr; pRecord = pRecord->Next) {
        printf("%u", pRecord->AddressLength);
        for (unsigned i = 0; i < MAX_ADAPTER_ADDRESS_LENGTH; i++)
            printf("%c%02x", i == 0 ? ' ' : ':', pRecord->Address[i]);
        printf("\n");
    }
    return 0;
}
