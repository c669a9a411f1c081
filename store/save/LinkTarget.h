#pragma once

#include <string>

// The file that saving to `path` must replace. Symbolic links are followed to
// the file they finally name, which need not exist yet, so that a link stays a
// link. A link that another user put in a sticky folder anyone may write
// to is not followed, as the system does not follow it either. A loop of links, or a chain too long to follow, is an error: such a
// link names no file, and replacing it would destroy it.
bool resolveSaveTarget(const std::string& path, std::string& target, std::string& error);
