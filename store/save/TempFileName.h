#pragma once

#include <string>

// The names of the files a save writes before they take the user's file's
// name: ".NAME.tabvane-save-HASH-XXXXXX", where NAME is the file's name,
// shortened when needed so that the whole fits the folder's name limit, HASH
// stands for the full name (two long names that share their start still get
// different temporaries) and XXXXXX is random.
namespace tempfile {

// What every temporary of `fileName` begins with, in a folder whose names may
// be `nameMax` bytes long.
std::string prefixFor(const std::string& fileName, long nameMax);
// A fresh name for a temporary of `fileName`.
std::string freshName(const std::string& fileName, long nameMax);
// Whether `candidate` is a temporary of `fileName`.
bool isTempOf(const std::string& candidate, const std::string& fileName, long nameMax);

// Removes temporaries of `fileName` in the folder `dirFd` that a save left
// behind when it was killed: only this user's own regular files, older than
// this program's start and locked by no running save. `keep` is the caller's
// own temporary. Best effort: whatever cannot be checked stays.
void removeLeftovers(int dirFd, const std::string& fileName, const std::string& keep, long nameMax);

} // namespace tempfile
