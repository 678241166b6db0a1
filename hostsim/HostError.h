// The simulator's own failures: a module it cannot load, a record it cannot read.
#pragma once

#include <stdexcept>
#include <string>

namespace hostsim {

class HostError : public std::runtime_error {
public:
    explicit HostError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace hostsim
