#pragma once
// Test clips on demand: the first request for a clip runs the generator into the build tree;
// later requests, from any test program, find the file there.
#include <string>
#include <string_view>

namespace orvo::test {

// The path of the catalog clip of that name, generated on first use; empty when the name is
// not in the catalog or the generator failed (its reason is on stderr).
std::string MediaClip(std::string_view name);

}  // namespace orvo::test
