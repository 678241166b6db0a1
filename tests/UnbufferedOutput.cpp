// Every test program writes its output unbuffered, so that whatever it
// printed before dying still reaches CTest's log. A program whose output is
// empty then really died before its first line (scripts/windows-test tells
// such start-up deaths under Wine apart from failing tests by exactly this),
// and a crash shows the case it happened in. The Windows C runtime has no
// line buffering (it treats _IOLBF as full buffering), hence none at all.
#include <cstdio>

namespace {

const bool kUnbuffered = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return true;
}();

}  // namespace
