// The registration record: exact bytes, decoding, and the host's refusal of
// modules without a usable record.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "hostsim/HostError.h"
#include "hostsim/Module.h"
#include "hostsim/PiPL.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

namespace {

// An encoder written independently of the module's word table.
class RecordBuilder {
public:
    RecordBuilder& u16(uint16_t v) {
        bytes.push_back(uint8_t(v));
        bytes.push_back(uint8_t(v >> 8));
        return *this;
    }
    RecordBuilder& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    RecordBuilder& code(const char* c) { return u32(uint32_t(c[0]) << 24 | uint32_t(c[1]) << 16 | uint32_t(c[2]) << 8 | uint32_t(c[3])); }
    RecordBuilder& property(const char* key, std::vector<uint8_t> value, uint32_t length) {
        code("8BIM").code(key).u32(0).u32(length);
        while (value.size() % 4) value.push_back(0);
        bytes.insert(bytes.end(), value.begin(), value.end());
        return *this;
    }
    static std::vector<uint8_t> pascal(const std::string& s) {
        std::vector<uint8_t> v{uint8_t(s.size())};
        v.insert(v.end(), s.begin(), s.end());
        while (v.size() % 4) v.push_back(0);
        return v;
    }
    static std::vector<uint8_t> le32(uint32_t x) { return {uint8_t(x), uint8_t(x >> 8), uint8_t(x >> 16), uint8_t(x >> 24)}; }
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> expectedRecord() {
    RecordBuilder b;
    b.u16(1).u32(0).u32(12);
    b.property("kind", RecordBuilder::le32(uint32_t('e') << 24 | uint32_t('F') << 16 | uint32_t('K') << 8 | 'T'), 4);
    b.property("name", RecordBuilder::pascal("Zanth Levels"), 16);
    b.property("catg", RecordBuilder::pascal("Zanth Color"), 12);
    std::vector<uint8_t> entry(std::begin("EntryPointFunc"), std::end("EntryPointFunc"));
    b.property("8664", entry, 16);
    b.property("ePVR", RecordBuilder::le32(2), 4);
    b.property("eSVR", {13, 0, 27, 0}, 4);
    b.property("eVER", RecordBuilder::le32(0x00080001), 4);
    b.property("eINF", {0, 0}, 2);
    b.property("eGLO", RecordBuilder::le32(0x8000 | 1u << 25), 4);  // custom UI, deep colour
    b.property("eGL2", RecordBuilder::le32(0x8 | 1u << 10 | 1u << 12 | 1u << 27),
               4);  // collapsed groups, smart render, float colour, threaded rendering
    b.property("aeFL", RecordBuilder::le32(8), 4);
    b.property("eMNA", RecordBuilder::pascal("Zanth_Levels"), 16);
    return b.bytes;
}

TEST(Registration, ModuleCarriesTheExactRecord) {
    const std::vector<uint8_t> bytes = hostsim::readRegistrationBytes(ZANTH_MODULE_PATH);
    ASSERT_EQ(bytes.size(), 294u);
    EXPECT_EQ(bytes, expectedRecord());
    // Four-character codes read reversed in the file.
    EXPECT_EQ(0, std::memcmp(bytes.data() + 10, "MIB8dnik", 8));
}

TEST(Registration, DecodesEveryProperty) {
    const hostsim::Registration reg = hostsim::decodePiPL(hostsim::readRegistrationBytes(ZANTH_MODULE_PATH));
    ASSERT_EQ(reg.properties.size(), 12u);
    const char* keys[] = {"kind", "name", "catg", "8664", "ePVR", "eSVR", "eVER", "eINF", "eGLO", "eGL2", "aeFL", "eMNA"};
    for (size_t i = 0; i < 12; ++i) EXPECT_EQ(reg.properties[i].key, keys[i]) << i;
    EXPECT_EQ(reg.kind, "eFKT");
    EXPECT_EQ(reg.name, "Zanth Levels");
    EXPECT_EQ(reg.category, "Zanth Color");
    EXPECT_EQ(reg.entryPoint, "EntryPointFunc");
    EXPECT_EQ(reg.piplVersion, 2u);
    EXPECT_EQ(reg.specMajor, 13);
    EXPECT_EQ(reg.specMinor, 27);
    EXPECT_EQ(reg.effectVersion, 0x00080001u);
    EXPECT_EQ(reg.infoFlags, 0);
    EXPECT_EQ(reg.properties[7].value.size(), 2u);
    EXPECT_EQ(reg.outFlags, 0x02008000u);
    EXPECT_EQ(reg.outFlags2, 0x08001408u);
    EXPECT_EQ(reg.reservedInfo, 8u);
    EXPECT_EQ(reg.matchName, "Zanth_Levels");
    EXPECT_NO_THROW(hostsim::validateRegistration(reg));
}

struct Corruption {
    const char* what;
    size_t offset;  // byte to change, or the new size when `truncate`
    uint8_t value;
    bool truncate;
    const char* message;  // part of the error text
};

void PrintTo(const Corruption& c, std::ostream* os) { *os << c.what; }

class CorruptRecord : public ::testing::TestWithParam<Corruption> {};

TEST_P(CorruptRecord, IsRefusedWithAClearMessage) {
    std::vector<uint8_t> bytes = expectedRecord();
    const Corruption& c = GetParam();
    if (c.truncate) {
        bytes.resize(c.offset);
    } else {
        bytes[c.offset] = c.value;
    }
    try {
        hostsim::validateRegistration(hostsim::decodePiPL(bytes));
        FAIL() << c.what << " was accepted";
    } catch (const hostsim::HostError& e) {
        EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Registration, CorruptRecord,
    ::testing::Values(Corruption{"wrong first word", 0, 2, false, "word 1"},
                      Corruption{"truncated record", 200, 0, true, "truncated"},
                      Corruption{"wrong vendor", 10, 'X', false, "vendor"},
                      Corruption{"not an effect", 26, 'X', false, "not an effect"},
                      Corruption{"property longer than the record", 275, 0x10, false, "longer than the record"},
                      Corruption{"empty name", 0x2E, 0, false, "no name"}));

TEST(Registration, HostRefusesAFileWithoutARecord) {
    const std::string path = ::testing::TempDir() + "zanth-not-a-module.so";
    std::ofstream(path) << "not a module";
    EXPECT_THROW(hostsim::Module module(path), hostsim::HostError);
    EXPECT_THROW(hostsim::Module module(path + ".missing"), hostsim::HostError);
    std::remove(path.c_str());
}

#if !defined(_WIN32)
TEST(Registration, ModuleExportsOnlyItsEntryPoint) {
    hostsim::Module module(ZANTH_MODULE_PATH);
    EXPECT_NE(module.entryPoint(), nullptr);
    void* handle = dlopen(ZANTH_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    EXPECT_NE(dlsym(handle, "EntryPointFunc"), nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN6Ombrix6Levels5aboutEP9PF_InDataP10PF_OutData"), nullptr);
    EXPECT_EQ(dlsym(handle, "kZanthLevelsPiPL"), nullptr);
    dlclose(handle);
}
#endif

}  // namespace
