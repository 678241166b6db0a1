#include "hostsim/PiPL.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "hostsim/HostError.h"

namespace hostsim {
namespace {

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    void need(size_t n, const char* what) const {
        if (pos_ + n > bytes_.size()) {
            throw HostError(std::string("registration record truncated while reading ") + what);
        }
    }
    uint16_t u16(const char* what) {
        need(2, what);
        const uint16_t v = static_cast<uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint32_t u32(const char* what) {
        need(4, what);
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | bytes_[pos_ + i];
        pos_ += 4;
        return v;
    }
    // A four-character code stored as a little-endian integer.
    std::string fourcc(const char* what) {
        const uint32_t v = u32(what);
        std::string s(4, ' ');
        for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * (3 - i))) & 0xFF);
        return s;
    }
    std::vector<uint8_t> take(size_t n, const char* what) {
        need(n, what);
        std::vector<uint8_t> out(bytes_.begin() + static_cast<long>(pos_), bytes_.begin() + static_cast<long>(pos_ + n));
        pos_ += n;
        return out;
    }
    size_t pos() const { return pos_; }
    size_t size() const { return bytes_.size(); }

private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

uint32_t le32(const PiPLProperty& p) {
    if (p.value.size() < 4) throw HostError("property " + p.key + " is shorter than 4 bytes");
    return static_cast<uint32_t>(p.value[0] | (p.value[1] << 8) | (p.value[2] << 16) | (uint32_t(p.value[3]) << 24));
}

uint16_t le16(const PiPLProperty& p, size_t at) {
    if (p.value.size() < at + 2) throw HostError("property " + p.key + " is too short");
    return static_cast<uint16_t>(p.value[at] | (p.value[at + 1] << 8));
}

std::string pascalString(const PiPLProperty& p) {
    if (p.value.empty() || p.value[0] + 1u > p.value.size()) {
        throw HostError("property " + p.key + " holds a malformed length-prefixed string");
    }
    return std::string(p.value.begin() + 1, p.value.begin() + 1 + p.value[0]);
}

std::string cString(const PiPLProperty& p) {
    const auto end = std::find(p.value.begin(), p.value.end(), uint8_t(0));
    if (end == p.value.end()) throw HostError("property " + p.key + " holds an unterminated string");
    return std::string(p.value.begin(), end);
}

std::string hex32(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "0x%08X", v);
    return buf;
}

}  // namespace

Registration decodePiPL(const std::vector<uint8_t>& bytes) {
    Reader in(bytes);
    Registration reg;
    if (in.u16("record header") != 1) throw HostError("registration record does not start with the word 1");
    if (in.u32("record version") != 0) throw HostError("registration record version is not 0");
    const uint32_t count = in.u32("property count");
    if (count > 256) throw HostError("registration record claims an implausible property count");
    for (uint32_t i = 0; i < count; ++i) {
        PiPLProperty p;
        p.vendor = in.fourcc("property vendor");
        p.key = in.fourcc("property key");
        p.id = in.u32("property id");
        const uint32_t length = in.u32("property length");
        if (length > in.size()) throw HostError("property " + p.key + " is longer than the record");
        p.value = in.take(length, "property value");
        const size_t padding = (4 - length % 4) % 4;
        in.take(padding, "property padding");
        if (p.vendor != "8BIM") throw HostError("property " + p.key + " has vendor " + p.vendor + ", not 8BIM");
        reg.properties.push_back(std::move(p));
    }
    if (in.pos() != in.size()) throw HostError("registration record has bytes after its last property");

    for (const PiPLProperty& p : reg.properties) {
        if (p.key == "kind") {
            const uint32_t v = le32(p);
            reg.kind = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        } else if (p.key == "name") {
            reg.name = pascalString(p);
        } else if (p.key == "catg") {
            reg.category = pascalString(p);
        } else if (p.key == "8664") {
            reg.entryPoint = cString(p);
        } else if (p.key == "ePVR") {
            reg.piplVersion = le32(p);
        } else if (p.key == "eSVR") {
            reg.specMajor = le16(p, 0);
            reg.specMinor = le16(p, 2);
        } else if (p.key == "eVER") {
            reg.effectVersion = le32(p);
        } else if (p.key == "eINF") {
            reg.infoFlags = le16(p, 0);
        } else if (p.key == "eGLO") {
            reg.outFlags = le32(p);
        } else if (p.key == "eGL2") {
            reg.outFlags2 = le32(p);
        } else if (p.key == "aeFL") {
            reg.reservedInfo = le32(p);
        } else if (p.key == "eMNA") {
            reg.matchName = pascalString(p);
        }
    }
    return reg;
}

void validateRegistration(const Registration& reg) {
    if (reg.kind != "eFKT") throw HostError("module is not an effect (kind '" + reg.kind + "', expected 'eFKT')");
    if (reg.name.empty()) throw HostError("registration record has no name");
    if (reg.entryPoint.empty()) throw HostError("registration record names no x86-64 entry point");
    if (reg.matchName.empty()) throw HostError("registration record has no match name");
}

std::vector<std::string> describeRegistration(const Registration& reg) {
    std::vector<std::string> lines;
    for (const PiPLProperty& p : reg.properties) {
        std::string value;
        if (p.key == "kind") {
            value = reg.kind;
        } else if (p.key == "name" || p.key == "catg" || p.key == "eMNA") {
            value = "\"" + pascalString(p) + "\"";
        } else if (p.key == "8664") {
            value = "\"" + reg.entryPoint + "\"";
        } else if (p.key == "ePVR") {
            value = std::to_string(reg.piplVersion) + ".0";
        } else if (p.key == "eSVR") {
            value = std::to_string(reg.specMajor) + "." + std::to_string(reg.specMinor);
        } else if (p.key == "eVER") {
            const uint32_t v = reg.effectVersion;
            value = hex32(v) + " (version " + std::to_string(v >> 19) + "." + std::to_string((v >> 15) & 0xF) +
                    "." + std::to_string((v >> 11) & 0xF) + ", stage " + std::to_string((v >> 9) & 0x3) +
                    ", build " + std::to_string(v & 0x1FF) + ")";
        } else if (p.key == "eINF") {
            value = std::to_string(reg.infoFlags);
        } else if (p.key == "eGLO" || p.key == "eGL2" || p.key == "aeFL") {
            value = hex32(le32(p));
        } else {
            value = std::to_string(p.value.size()) + " bytes";
        }
        lines.push_back(p.key + ": " + value);
    }
    return lines;
}

}  // namespace hostsim
