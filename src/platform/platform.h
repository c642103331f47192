// The adapter query and the unbuffered error write, under the platform's own names.
//
// On Windows this is the real IP Helper interface. Elsewhere it declares the
// least of that interface the program uses, implemented over the kernel's
// link dump: the adapter record with its Next link and address bytes, the
// status codes, and GetAdaptersInfo itself.
#ifndef MACLIST_PLATFORM_H
#define MACLIST_PLATFORM_H

#ifdef _WIN32

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <io.h>

#ifndef _WIN64
// The record and the 16-record buffer have these sizes on 32-bit Windows;
// anything else means the headers are not the ones the program was made for.
static_assert(sizeof(IP_ADAPTER_INFO) == 640, "IP_ADAPTER_INFO is 640 bytes on 32-bit Windows");
static_assert(sizeof(IP_ADAPTER_INFO[16]) == 10240, "16 adapter records take 10240 bytes on 32-bit Windows");
#endif

#else

#include <stdint.h>
#include <unistd.h>

typedef uint32_t DWORD;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD ERROR_NO_DATA = 232;

constexpr unsigned MAX_ADAPTER_ADDRESS_LENGTH = 8;

struct IP_ADAPTER_INFO {
    IP_ADAPTER_INFO* Next;
    unsigned int AddressLength;
    unsigned char Address[MAX_ADAPTER_ADDRESS_LENGTH];
};
typedef IP_ADAPTER_INFO* PIP_ADAPTER_INFO;

// Fills the caller's buffer with one record per network interface of this
// network namespace except loopback, in the order the kernel's link dump gives
// them (the order `ip link` lists them), chained through Next. Returns ERROR_SUCCESS with at least one record; ERROR_NO_DATA when
// there is no such interface; ERROR_BUFFER_OVERFLOW, with *pOutBufLen set to
// the size needed, when they do not fit; ERROR_INVALID_PARAMETER for a null
// pOutBufLen; ERROR_NOT_SUPPORTED when the system will not list interfaces.
DWORD GetAdaptersInfo(PIP_ADAPTER_INFO pAdapterInfo, DWORD* pOutBufLen);

#endif

#endif
