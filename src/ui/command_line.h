// The command line for scripts: reports and payload rescue without the
// window, for scheduled tasks and administrators' scripts.
#ifndef MARROWICK_COMMAND_LINE_H
#define MARROWICK_COMMAND_LINE_H

// Exit codes of a run from the command line.
enum CommandLineExit {
    EXIT_ALL_DONE = 0,
    EXIT_BAD_ARGUMENTS = 1,    // with the usage text on standard error
    EXIT_FOLDER_UNREADABLE = 2,
    EXIT_WRITE_FAILED = 3      // a report or a payload was not written; the others were
};

// 1 while the program runs from the command line: no window, no box; every
// message goes to standard error.
extern int CommandLineMode;
// Standard output and standard error of the caller, or null where the
// caller gave none (the text is then dropped).
extern HANDLE CommandLineOutput;
extern HANDLE CommandLineErrors;

// Writes `length` bytes to `handle`, a standard handle or null.
void WriteStandardText(HANDLE handle, const char *text, int length);
// Writes "title: text" as one line to standard error: each run of line
// breaks inside the text becomes " - ", those at its end are dropped.
void WriteMessageLine(const char *title, const char *text);
// Runs the switches of `argv` (argv[0] is the program) and returns the exit
// code. The settings file is read, never written.
int RunCommandLine(int argc, char **argv);

#endif
