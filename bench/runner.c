/* The start-up benchmark's runner: prints, per command, NAME MEDIAN_US MEAN_US
 * PEAK_KIB, of the CPU time (from wait4) and peak resident memory of its runs.
 * Static, so that what a child holds before it execs, counted in its peak, is
 * small. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#define MAX_COMMANDS 8

struct command {
    const char *name;
    char **argv;
    double *micros;
    long peakKib;
};

static int compare(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return (x > y) - (x < y);
}

static void run(struct command *c, long round)
{
    pid_t pid = fork();
    if (pid == 0) {
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execv(c->argv[0], c->argv);
        _exit(127);
    }
    int status;
    struct rusage usage;
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "runner: %s failed; it must succeed here to be measured\n", c->argv[0]);
        exit(1);
    }
    if (round >= 0)
        c->micros[round] = usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec + usage.ru_stime.tv_sec * 1e6 +
                           usage.ru_stime.tv_usec;
    if (usage.ru_maxrss > c->peakKib)
        c->peakKib = usage.ru_maxrss;
}

int main(int argc, char **argv)
{
    char *end = NULL;
    long rounds = argc > 1 ? strtol(argv[1], &end, 10) : 0;
    if (argc < 4 || end == argv[1] || *end != '\0' || rounds < 1 || rounds > 1000000) {
        fprintf(stderr, "usage: runner ROUNDS NAME COMMAND [ARG...] -- NAME COMMAND [ARG...] ...\n"
                        "       (ROUNDS: a whole number from 1 to 1000000)\n");
        return 2;
    }
    struct command commands[MAX_COMMANDS];
    int count = 0, i = 2;
    while (i < argc) {
        if (count == MAX_COMMANDS) {
            fprintf(stderr, "runner: at most %d commands\n", MAX_COMMANDS);
            return 2;
        }
        struct command *c = &commands[count++];
        c->name = argv[i++];
        c->argv = &argv[i];
        while (i < argc && strcmp(argv[i], "--") != 0)
            i++;
        if (i < argc)
            argv[i++] = NULL;
        c->micros = calloc(rounds, sizeof *c->micros);
        c->peakKib = 0;
        if (c->micros == NULL || c->argv[0] == NULL) {
            fprintf(stderr, "runner: %s\n", c->micros == NULL ? "no memory for the times" : "a NAME without a COMMAND");
            return 2;
        }
    }

    for (i = 0; i < count; i++) /* once to warm the caches, not counted */
        run(&commands[i], -1);
    /* Each round in an order of its own, shuffled: a run right after a heavy
     * one (ip) costs more than after a light one. */
    int order[MAX_COMMANDS];
    for (i = 0; i < count; i++)
        order[i] = i;
    unsigned long state = 88172645463325252UL;
    for (long round = 0; round < rounds; round++) {
        for (i = count - 1; i > 0; i--) {
            state ^= state << 13, state ^= state >> 7, state ^= state << 17; /* xorshift64 */
            int j = (int)(state % (unsigned long)(i + 1)), swap = order[i];
            order[i] = order[j], order[j] = swap;
        }
        for (i = 0; i < count; i++)
            run(&commands[order[i]], round);
    }

    for (i = 0; i < count; i++) {
        struct command *c = &commands[i];
        double sum = 0;
        for (long r = 0; r < rounds; r++)
            sum += c->micros[r];
        qsort(c->micros, rounds, sizeof *c->micros, compare);
        double median = rounds % 2 ? c->micros[rounds / 2] : (c->micros[rounds / 2 - 1] + c->micros[rounds / 2]) / 2;
        printf("%s\t%.1f\t%.1f\t%ld\n", c->name, median, sum / rounds, c->peakKib);
    }
    return 0;
}
