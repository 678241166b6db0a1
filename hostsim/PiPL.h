// Decoding and validation of a module's registration record (PiPL).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hostsim {

struct PiPLProperty {
    std::string vendor;  // four characters, in reading order
    std::string key;     // four characters, in reading order
    uint32_t id = 0;
    std::vector<uint8_t> value;  // `length` bytes (padding excluded)
};

struct Registration {
    std::vector<PiPLProperty> properties;
    std::string kind;
    std::string name;
    std::string category;
    std::string entryPoint;  // x86-64 entry point name
    uint32_t piplVersion = 0;
    uint16_t specMajor = 0, specMinor = 0;
    uint32_t effectVersion = 0;
    uint16_t infoFlags = 0;
    uint32_t outFlags = 0;
    uint32_t outFlags2 = 0;
    uint32_t reservedInfo = 0;
    std::string matchName;
};

// Decodes the record; throws HostError naming the first defect found.
Registration decodePiPL(const std::vector<uint8_t>& bytes);

// Checks what a host needs before it runs any code: an effect (kind eFKT) with
// a name and an entry point. Throws HostError when the record is not usable.
void validateRegistration(const Registration& registration);

// One "key: value" line per property, in record order.
std::vector<std::string> describeRegistration(const Registration& registration);

}  // namespace hostsim
