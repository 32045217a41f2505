// The almanac's own small text files: reading the head of one that may be
// damaged, and writing one so that it is either wholly new or left as it was.
#pragma once

#include <cstddef>
#include <string>

// Reads at most maxBytes from the start of a regular file into `bytes`. False
// (and `bytes` empty) when the file is missing or unreadable, or is not a
// regular file: a pipe in its place would block the reader forever and a
// directory has no text.
bool ReadFileHead(const std::string& path, std::size_t maxBytes, std::string& bytes);

// Writes text to path through a temporary file in the same directory renamed
// into place; cp932 converts the text first. False with a reason when the
// file cannot be written (the old file, if any, is left as it was).
bool WriteTextFileAtomically(const std::string& path, const std::string& utf8Text, bool cp932, std::string& error);
