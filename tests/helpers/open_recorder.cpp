// Stands in for the program that the shell would start for a file type or a
// URL scheme: the tests register it as an "open" command with "%1" and it
// appends that argument, one line per start, to the file named by the
// environment variable MARROWICK_OPEN_RECORD (inherited from the test).
#include <windows.h>

#include <stdio.h>

int main(int argc, char **argv)
{
    char recordPath[MAX_PATH];
    if (!GetEnvironmentVariableA("MARROWICK_OPEN_RECORD", recordPath, sizeof(recordPath)))
        return 1;
    FILE *record = fopen(recordPath, "ab");
    if (!record)
        return 1;
    fprintf(record, "%s\n", argc > 1 ? argv[1] : "");
    fclose(record);
    return 0;
}
