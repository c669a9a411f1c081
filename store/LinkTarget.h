#pragma once

#include <string>

// The file that saving to `path` must replace. Symbolic links are followed to
// the file they finally name, which need not exist yet, so that a link stays a
// link. A loop of links, or a chain too long to follow, is an error: such a
// link names no file, and replacing it would destroy it.
bool resolveSaveTarget(const std::string& path, std::string& target, std::string& error);
