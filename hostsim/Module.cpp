#include "hostsim/Module.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "hostsim/HostError.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <elf.h>
#include <unistd.h>
#endif

namespace hostsim {

#if defined(_WIN32)

std::vector<uint8_t> readRegistrationBytes(const std::string& path) {
    HMODULE data = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!data) throw HostError("cannot open module " + path + " (error " + std::to_string(GetLastError()) + ")");
    std::vector<uint8_t> bytes;
    HRSRC res = FindResourceExA(data, "PIPL", MAKEINTRESOURCEA(16000), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (res) {
        HGLOBAL loaded = LoadResource(data, res);
        const DWORD size = SizeofResource(data, res);
        const auto* p = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
        if (p) bytes.assign(p, p + size);
    }
    FreeLibrary(data);
    if (bytes.empty()) throw HostError("module " + path + " has no registration record (PIPL resource 16000)");
    return bytes;
}

#else

std::vector<uint8_t> readRegistrationBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw HostError("cannot open module " + path);
    const std::vector<uint8_t> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto fail = [&](const std::string& why) { return HostError("module " + path + ": " + why); };
    if (image.size() < sizeof(Elf64_Ehdr) || std::memcmp(image.data(), ELFMAG, SELFMAG) != 0 ||
        image[EI_CLASS] != ELFCLASS64) {
        throw fail("not a 64-bit ELF file");
    }
    Elf64_Ehdr eh;
    std::memcpy(&eh, image.data(), sizeof(eh));
    if (eh.e_shentsize != sizeof(Elf64_Shdr) || eh.e_shoff == 0 || eh.e_shstrndx >= eh.e_shnum ||
        eh.e_shoff + uint64_t(eh.e_shnum) * sizeof(Elf64_Shdr) > image.size()) {
        throw fail("malformed section table");
    }
    const auto section = [&](size_t i) {
        Elf64_Shdr sh;
        std::memcpy(&sh, image.data() + eh.e_shoff + i * sizeof(Elf64_Shdr), sizeof(sh));
        return sh;
    };
    const Elf64_Shdr names = section(eh.e_shstrndx);
    if (names.sh_offset + names.sh_size > image.size()) throw fail("malformed section names");
    for (size_t i = 0; i < eh.e_shnum; ++i) {
        const Elf64_Shdr sh = section(i);
        if (sh.sh_name >= names.sh_size) continue;
        const char* name = reinterpret_cast<const char*>(image.data() + names.sh_offset + sh.sh_name);
        if (std::strncmp(name, "zanth_pipl", names.sh_size - sh.sh_name) != 0) continue;
        if (sh.sh_type == SHT_NOBITS || sh.sh_offset + sh.sh_size > image.size()) throw fail("malformed record section");
        return std::vector<uint8_t>(image.begin() + static_cast<long>(sh.sh_offset),
                                    image.begin() + static_cast<long>(sh.sh_offset + sh.sh_size));
    }
    throw fail("no registration record (section zanth_pipl)");
}

#endif

Module::Module(const std::string& path) : path_(path) {
    bytes_ = readRegistrationBytes(path);
    registration_ = decodePiPL(bytes_);
    validateRegistration(registration_);
#if defined(_WIN32)
    HMODULE lib = LoadLibraryA(path.c_str());
    if (!lib) throw HostError("cannot load module " + path + " (error " + std::to_string(GetLastError()) + ")");
    handle_ = lib;
    entry_ = reinterpret_cast<PF_EntryPointFunc>(
        reinterpret_cast<void*>(GetProcAddress(lib, registration_.entryPoint.c_str())));
#else
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) throw HostError("cannot load module " + path + ": " + dlerror());
    entry_ = reinterpret_cast<PF_EntryPointFunc>(dlsym(handle_, registration_.entryPoint.c_str()));
#endif
    if (!entry_) {
        unload();
        throw HostError("module " + path + " does not export its entry point " + registration_.entryPoint);
    }
}

Module::~Module() { unload(); }

void Module::unload() {
    if (!handle_) return;
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
    handle_ = nullptr;
}

std::string defaultModulePath() {
#if defined(_WIN32)
    char buf[MAX_PATH] = {0};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string self(buf);
    const size_t slash = self.find_last_of("\\/");
    return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "\\ZanthLevels.aex";
#else
    char buf[4096] = {0};
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    std::string self = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    const size_t slash = self.find_last_of('/');
    return (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/ZanthLevels.so";
#endif
}

}  // namespace hostsim
