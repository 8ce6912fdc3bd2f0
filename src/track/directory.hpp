// Finding the game's data: the names in a directory that match a wildcard
// pattern, and file names without their extension.
#pragma once

#include <string>
#include <vector>

// Bare names (no directory part) of the entries of directory that match
// pattern, letters in any case (a file copied from another system may end in
// .MAP), sorted by byte order so that positions stored in set.dat name
// the same files on every run. Empty when nothing matches or the directory
// cannot be read. Never changes the working directory.
std::vector<std::string> listDirectory(const std::string& directory, const std::string& pattern);

// The order of listDirectory: byte order, upper case before lower case.
bool listedBefore(const std::string& a, const std::string& b);

// A file name up to its first "."; how tracks are shown in lists.
std::string stripExtension(const std::string& fileName);
