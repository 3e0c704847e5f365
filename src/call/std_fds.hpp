// Standard descriptors 0, 1 and 2 made safe before a program opens a file.
#ifndef QUBIC_CALL_STD_FDS_HPP
#define QUBIC_CALL_STD_FDS_HPP

namespace qubic::call {

// A program started with a standard descriptor closed would hand that number
// to the first file it opens: the result file would become standard output
// and receive the roots, or standard error and receive the messages.  So,
// before any file is opened:
//   * a closed descriptor 0 or 2 is opened on /dev/null (reading for 0,
//     writing for 2): the run goes on, its input empty or its messages lost,
//     and the exit status still tells;
//   * a descriptor 1 that is closed, or open for reading only, is an error:
//     it is plugged with /dev/null too, one line goes to standard error and
//     the call returns false; the caller exits with status 1 and no file is
//     opened.
// False also when /dev/null cannot be opened for a closed descriptor.
// `program` names the program in the error line.
//
// Example: started as `qubic >&-`, returns false after writing
// "qubic: standard output: not open for writing: Bad file descriptor\n" to
// descriptor 2.
bool open_std_fds(const char* program);

// True when descriptors a and b are both open on one regular file (same
// device and inode: through a symbolic link, a hard link or /proc/self/fd/N
// alike).  A program that reads one and writes the other would then read its
// own output back, or write over what it has still to read.  Terminals,
// pipes and devices are not files to lose: false for them, so that
// `qubic-solve </dev/tty >/dev/tty` and the like still work.
//
// Example: started as `qubic-solve --csv <f >>f`, same_regular_file(0, 1)
// is true; as `qubic-solve --csv <f >g` (another file), false.
bool same_regular_file(int a, int b);

}  // namespace qubic::call

#endif  // QUBIC_CALL_STD_FDS_HPP
