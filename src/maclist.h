// The option reader of maclist. The command itself takes no notice of its
// arguments; the reader is kept for callers that want the conventional
// '/' and '-' option handling.
#ifndef MACLIST_H
#define MACLIST_H

// Scans argv[1..argc-1]. '-?', '/?', '-help' and '/help' (any case) print the
// usage line; any other argument starting with '/' or '-' is reported as an
// unknown option. Returns the index of the first argument that is not an
// option, or 0 when there is none.
int HandleOptions(int argc, char* argv[]);

// Writes "<programName> usage:" to standard error.
void Usage(const char* programName);

#endif
