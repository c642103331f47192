// maclist: prints the hardware address of every network adapter, one line
// each, as six uppercase hex pairs joined by hyphens.
#include "maclist.h"

#include "platform/platform.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>

// Ends the process with status 1 after one diagnostic line on standard error,
// naming the condition that did not hold and where it is checked.
#define CHECK(condition) ((condition) ? (void)0 : CheckFailed(#condition, __FILE__, __LINE__))

[[noreturn]] static void CheckFailed(const char* condition, const char* file, int line)
{
    // One write of the whole line, unbuffered, so it reaches standard error
    // whole whatever state standard output is in. A line too long for the
    // buffer is cut, and still ends in a newline.
    char message[512];
    int length = snprintf(message, sizeof message, "%s %s %s %d\n", "Assertion failed: ", condition, file, line);
    if (length < 0) {
        length = 0;
    } else if (length >= static_cast<int>(sizeof message)) {
        length = static_cast<int>(sizeof message) - 1;
        message[length - 1] = '\n';
    }
    if (write(2, message, length) != length) {
        // Nothing is left to report a failing standard error on.
    }
    exit(1);
}

static void PrintMACaddress(const unsigned char MACData[])
{
    printf("%02X-%02X-%02X-%02X-%02X-%02X\n", MACData[0], MACData[1], MACData[2], MACData[3], MACData[4],
           MACData[5]);
}

// Room for the sixteen lines the query can return, CRLF-ended as on Windows.
// It is static, not automatic: the stream holds on to its buffer until the
// process's exit, after ListMACaddresses has returned.
static char OutputBuffer[16 * sizeof "00-1A-2B-3C-4D-5E\r\n"];

static void ListMACaddresses(void)
{
    // Fully buffered from the first line, on a terminal too, so that the
    // listing leaves in the one write of the checked flush below: a reader
    // that takes the first line and goes never sees a second write fail.
    setvbuf(stdout, OutputBuffer, _IOFBF, sizeof OutputBuffer);

    IP_ADAPTER_INFO AdapterInfo[16];
    DWORD dwBufLen = sizeof(AdapterInfo);

    DWORD dwStatus = GetAdaptersInfo(AdapterInfo, &dwBufLen);
    CHECK(dwStatus == ERROR_SUCCESS);

    PIP_ADAPTER_INFO pAdapterInfo = AdapterInfo;
    do {
        PrintMACaddress(pAdapterInfo->Address);
        pAdapterInfo = pAdapterInfo->Next;
    } while (pAdapterInfo != NULL);

    // A listing that never reached its reader is a failure, not a success.
    CHECK(fflush(stdout) == 0 && !ferror(stdout));
}

void Usage(const char* programName)
{
    fprintf(stderr, "%s usage:\n", programName != NULL ? programName : "maclist");
}

static bool EqualsIgnoringCase(const char* text, const char* lowercase)
{
    for (; *lowercase != '\0'; text++, lowercase++)
        if (tolower(static_cast<unsigned char>(*text)) != *lowercase)
            return false;
    return *text == '\0';
}

int HandleOptions(int argc, char* argv[])
{
    int firstnonoption = 0;
    for (int i = 1; i < argc; i++) {
        if (argv[i][0] != '/' && argv[i][0] != '-') {
            firstnonoption = i;
            break;
        }
        switch (argv[i][1]) {
        case '?':
            Usage(argv[0]);
            break;
        case 'h':
        case 'H':
            if (EqualsIgnoringCase(argv[i] + 1, "help")) {
                Usage(argv[0]);
                break;
            }
            [[fallthrough]];
        default:
            fprintf(stderr, "unknown option %s\n", argv[i]);
            break;
        }
    }
    return firstnonoption;
}

int main(int argc, char* argv[])
{
    (void)argc;
    (void)argv;
    ListMACaddresses();
    return 0;
}
