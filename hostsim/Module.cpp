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

namespace {

// Windows wants backslashes in paths handed to the loader.
std::string nativePath(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

uint32_t le32At(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// A host looks at the file's headers before it maps anything: a 64-bit
// (PE32+, x86-64) dynamic library.
void checkPortableExecutable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw HostError("cannot open module " + path);
    std::vector<uint8_t> head(4096);
    file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(file.gcount()));
    const auto fail = [&](const std::string& why) { return HostError("module " + path + ": " + why); };
    if (head.size() < 0x40 || head[0] != 'M' || head[1] != 'Z') throw fail("not a 64-bit PE module (no MZ header)");
    const uint32_t pe = le32At(head, 0x3C);
    if (pe > head.size() - 26 || le32At(head, pe) != 0x00004550) throw fail("not a 64-bit PE module (no PE header)");
    const uint16_t machine = static_cast<uint16_t>(head[pe + 4] | head[pe + 5] << 8);
    const uint16_t characteristics = static_cast<uint16_t>(head[pe + 22] | head[pe + 23] << 8);
    const uint16_t magic = static_cast<uint16_t>(head[pe + 24] | head[pe + 25] << 8);
    if (machine != 0x8664 || magic != 0x20B) throw fail("not a 64-bit PE module (PE32+, x86-64)");
    if (!(characteristics & 0x2000)) throw fail("not a dynamic library");
}

}  // namespace

std::vector<uint8_t> readRegistrationBytes(const std::string& path) {
    checkPortableExecutable(path);
    // As a host reads it: the image mapped as data, no code run, the resource
    // found by type, name and language (PIPL 16000, U.S. English).
    HMODULE data = LoadLibraryExA(nativePath(path).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
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
    HMODULE lib = LoadLibraryA(nativePath(path).c_str());
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
