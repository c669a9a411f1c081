#pragma once

#include <string>
#include <string_view>

// An element name made from a column heading. A heading that is a valid XML
// name stays as it is; in any other, each character a name cannot hold
// becomes "_", and "_" goes in front when the name cannot start as it does.
// The colon counts as one a name cannot hold: readers that know namespaces
// refuse a prefix nobody declared.
std::string xmlElementName(std::string_view heading);
