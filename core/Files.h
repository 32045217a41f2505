// The almanac's own small text files: reading the head of one that may be
// damaged, reading a settings file whole, and writing one so that it is either
// wholly new or left as it was.
#pragma once

#include <cstddef>
#include <string>

// Reads at most maxBytes from the start of a regular file into `bytes`. False
// (and `bytes` empty) when the file is missing or unreadable, or is not a
// regular file: a pipe in its place would block the reader forever and a
// directory has no text.
bool ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& bytes);

// The most a settings file may hold; a larger one is refused, not cut.
inline constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

// What reading a whole file found.
struct WholeFile {
  enum class Status {
    kRead,     // `bytes` holds the whole file
    kMissing,  // no file of that name (a dangling link counts as missing)
    kRefused,  // there is something, but it cannot be read whole: `problem` says why
  };
  Status status = Status::kMissing;
  std::string bytes;
  std::string problem;  // "<path>: <why>", for kRefused
};

// Reads a whole regular file of at most `limit` bytes. A file that is not a
// regular file, cannot be opened or read, or is larger than `limit` is
// refused with the reason; nothing of it is returned.
WholeFile ReadWholeFile(const std::string& path, std::size_t limit);

// The name that stands for standard output in place of a file name.
inline constexpr const char* kStandardOutputName = "-";

// Writes text to path; cp932 converts the text first. False with a one-line
// reason naming the path when the file cannot be written (the old file, if
// any, is left as it was).
//  - The path must name a regular file or a missing name in an existing
//    directory; a directory, device, named pipe, socket or a symbolic link to
//    a missing file is refused before anything is written. A symbolic link to
//    a regular file is written through: the file it names is rewritten.
//  - The text goes to a temporary file beside the target
//    ("<name>.~ombrel-part-PID-N", marked as this writer's by an extended
//    attribute), which then replaces the target by rename, so a crash never
//    leaves half a file. A rewritten file keeps its permission bits and,
//    where the process may set them, its owner and group.
//  - Writers of one existing file take turns: each holds a lock on it
//    (flock) from before it looks at the file until its text is in place.
//  - A file with more than one hard link is rewritten in place once its
//    temporary copy is complete (renamed "<name>.~ombrel-pending-PID-N"), so
//    every name of it shows the new text, as a plain save would. Room for the
//    new text is reserved before the old is touched, so a full disk leaves
//    the old text whole; a writer killed during the copy leaves its pending
//    copy, which the next writer of the file copies in first. Should the
//    in-place write fail otherwise, the error names the pending copy.
//  - Files of this writer beside the target that a process no longer
//    running left (and that bear its mark and belong to this user) are
//    tidied first; no other file is removed.
//  - kStandardOutputName writes the text to standard output instead.
bool WriteTextFileAtomically(const std::string& path, const std::string& utf8Text, bool cp932, std::string& error);

// The check WriteTextFileAtomically makes of what stands at the path, for a
// caller that would rather refuse before a long computation: false with the
// same one-line reason. (The write checks again.)
bool CheckOutputPath(const std::string& path, std::string& error);
