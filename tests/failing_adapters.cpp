// An adapter query that always finds no adapters.
#include "platform/platform.h"

DWORD GetAdaptersInfo(PIP_ADAPTER_INFO, DWORD*)
{
    return ERROR_NO_DATA;
}
