// A loaded effect module: its registration record, read from the file before
// any of its code runs, and its entry point.
#pragma once

#include <string>
#include <vector>

#include "host/entry_point.h"
#include "hostsim/PiPL.h"

namespace hostsim {

// Reads the registration record from the module file without loading it:
// the "zanth_pipl" ELF section on Linux, the PIPL resource 16000 on Windows.
std::vector<uint8_t> readRegistrationBytes(const std::string& path);

class Module {
public:
    // Reads and validates the record, then loads the module and resolves the
    // entry point it names. Throws HostError with a clear message on failure.
    explicit Module(const std::string& path);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    const std::string& path() const { return path_; }
    const Registration& registration() const { return registration_; }
    const std::vector<uint8_t>& registrationBytes() const { return bytes_; }
    PF_EntryPointFunc entryPoint() const { return entry_; }

private:
    void unload();

    std::string path_;
    std::vector<uint8_t> bytes_;
    Registration registration_;
    void* handle_ = nullptr;
    PF_EntryPointFunc entry_ = nullptr;
};

// The module built beside the running executable (ZanthLevels.so / .aex).
std::string defaultModulePath();

}  // namespace hostsim
