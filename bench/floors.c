/* The start-up benchmark's two floors, with no C library (bench/README.md):
 * with -DDUMP the dump floor, without it the exit-only floor. */
#include <asm/unistd.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>

static long Call(long number, long a, long b, long c, long d, long e, long f)
{
    long result;
#if defined(__x86_64__)
    register long r10 __asm__("r10") = d;
    register long r8 __asm__("r8") = e;
    register long r9 __asm__("r9") = f;
    __asm__ volatile("syscall"
                     : "=a"(result)
                     : "a"(number), "D"(a), "S"(b), "d"(c), "r"(r10), "r"(r8), "r"(r9)
                     : "rcx", "r11", "memory");
#elif defined(__aarch64__)
    register long x8 __asm__("x8") = number;
    register long x0 __asm__("x0") = a;
    register long x1 __asm__("x1") = b;
    register long x2 __asm__("x2") = c;
    register long x3 __asm__("x3") = d;
    register long x4 __asm__("x4") = e;
    register long x5 __asm__("x5") = f;
    __asm__ volatile("svc 0" : "+r"(x0) : "r"(x8), "r"(x1), "r"(x2), "r"(x3), "r"(x4), "r"(x5) : "memory");
    result = x0;
#else
#error "the floors are written for x86_64 and aarch64"
#endif
    return result;
}

#ifdef DUMP
static int Dump(void)
{
    enum { kAfNetlink = 16, kSockRaw = 3, kSockCloexec = 02000000 };
    int socketFd = (int)Call(__NR_socket, kAfNetlink, kSockRaw | kSockCloexec, NETLINK_ROUTE, 0, 0, 0);
    if (socketFd < 0)
        return 1;
    struct {
        struct nlmsghdr header;
        struct ifinfomsg link;
        struct rtattr maskHeader;
        unsigned mask;
    } request = {{sizeof request, RTM_GETLINK, NLM_F_REQUEST | NLM_F_DUMP, 1, 0},
                 {0, 0, 0, 0, 0, 0},
                 {RTA_LENGTH(sizeof(unsigned)), IFLA_EXT_MASK},
                 RTEXT_FILTER_SKIP_STATS};
    struct sockaddr_nl kernel = {kAfNetlink, 0, 0, 0};
    if (Call(__NR_sendto, socketFd, (long)&request, sizeof request, 0, (long)&kernel, sizeof kernel) !=
        (long)sizeof request)
        return 1;
    static unsigned char datagram[32768] __attribute__((aligned(8)));
    for (;;) {
        long received = Call(__NR_recvfrom, socketFd, (long)datagram, sizeof datagram, 0, 0, 0);
        if (received <= 0)
            return 1;
        int remaining = (int)received;
        for (struct nlmsghdr* message = (struct nlmsghdr*)datagram; NLMSG_OK(message, remaining);
             message = NLMSG_NEXT(message, remaining)) {
            if (message->nlmsg_type == NLMSG_DONE)
                return 0;
            if (message->nlmsg_type == NLMSG_ERROR)
                return 1;
        }
    }
}
#endif

__attribute__((force_align_arg_pointer)) void _start(void)
{
#ifdef DUMP
    int status = Dump();
#else
    int status = 0;
#endif
    for (;;)
        Call(__NR_exit_group, status, 0, 0, 0, 0, 0);
}
