// Scoped acquisition of one host suite: acquired on construction, released when
// the scope ends, whether it ends normally or by an exception.
#pragma once

#include "host/ae_effect.h"

namespace Ombrix::Levels {

template <typename SuiteT>
class SuiteScope {
public:
    // Throws the int A_Err_MISSING_SUITE (13) when the host refuses the suite.
    // A host that reports success but hands back no table is treated the same
    // way, after giving back the acquisition it counted.
    SuiteScope(const PF_InData* in_data, const char* suiteName, int32_t suiteVersion)
        : suite(nullptr), basic(in_data ? in_data->pica_basicP : nullptr), name(suiteName), version(suiteVersion) {
        if (!basic) throw static_cast<int>(A_Err_MISSING_SUITE);
        const void* table = nullptr;
        if (basic->AcquireSuite(name, version, &table) != 0) throw static_cast<int>(A_Err_MISSING_SUITE);
        if (!table) {
            basic->ReleaseSuite(name, version);
            throw static_cast<int>(A_Err_MISSING_SUITE);
        }
        suite = static_cast<const SuiteT*>(table);
    }

    ~SuiteScope() {
        if (suite) basic->ReleaseSuite(name, version);  // result deliberately not examined
    }

    SuiteScope(const SuiteScope&) = delete;
    SuiteScope& operator=(const SuiteScope&) = delete;

    const SuiteT* operator->() const { return suite; }

    const SuiteT* suite;
    const SPBasicSuite* basic;
    const char* name;
    int32_t version;
};

}  // namespace Ombrix::Levels
