// Shared test scaffolding: a simulated host with the module loaded.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hostsim/Host.h"

namespace zanth_test {

inline std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += "\n  " + l;
    return out;
}

// Asserts that the effect holds nothing and did nothing a host would reject.
#define EXPECT_HOST_CLEAN(host)                                                          \
    do {                                                                                 \
        EXPECT_TRUE((host).leaks().empty()) << "still held:" << zanth_test::joined((host).leaks()); \
        EXPECT_TRUE((host).violations().empty())                                         \
            << "host violations:" << zanth_test::joined((host).violations());           \
    } while (0)

// Every host that ends with violations nobody cleared fails the test it ran in:
// a call through a trapped slot or a poisoned member written is never missed.
inline const bool kViolationsFailTests = [] {
    hostsim::Host::onViolationsLeft([](const std::vector<std::string>& violations) {
        ADD_FAILURE() << "host violations:" << joined(violations);
    });
    return true;
}();

// A host with the module loaded; the module keeps its process-wide state
// between hosts, so every test ends with a global set-down.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override { host = std::make_unique<hostsim::Host>(ZANTH_MODULE_PATH); }
    void TearDown() override {
        if (host) host->globalSetdown();
        host.reset();
    }
    // Global set-up and parameter set-up in the given host language.
    void setUpEffect(const std::string& language = "en_US") {
        host->setLanguageTag(language);
        ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
        ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    }

    std::unique_ptr<hostsim::Host> host;
};

}  // namespace zanth_test
