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

}  // namespace qubic::call

#endif  // QUBIC_CALL_STD_FDS_HPP
