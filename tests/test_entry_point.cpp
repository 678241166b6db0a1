// The entry point driven through the simulated host: dispatch, the About text,
// global set-up and set-down, the parameter-UI update, refused suites and
// exceptions that must never reach the host.
#include <cstring>
#include <new>
#include <stdexcept>

#include "entry/Commands.h"
#include "hostaccess/SuiteReporting.h"
#include "params/NameTable.h"
#include "tests/HostFixture.h"

namespace {

using zanth_test::HostTest;

class EntryPoint : public HostTest {};

TEST_F(EntryPoint, IgnoredCommandsReturnZeroAndChangeNothing) {
    setUpEffect();
    for (PF_Cmd cmd : {-7, -1, 2, 5, 6, 7, 8, 9, 10, 12, 13, 16, 17, 22, 25, 1000}) {
        PF_OutData before;
        std::memset(&host->outData(), 0x5A, sizeof(PF_OutData));
        std::memcpy(&before, &host->outData(), sizeof(before));
        EXPECT_EQ(host->send(cmd), PF_Err_NONE) << "command " << cmd;
        EXPECT_EQ(0, std::memcmp(&before, &host->outData(), sizeof(before))) << "command " << cmd;
        EXPECT_TRUE(host->lastChanges().empty());
    }
    EXPECT_EQ(host->param(6).u.fs_d.value, 1.0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EntryPoint, AboutWritesTheExactText) {
    std::memset(host->outData().return_msg, 'x', sizeof(host->outData().return_msg));
    ASSERT_EQ(host->about(), PF_Err_NONE);
    EXPECT_EQ(0, std::memcmp(host->outData().return_msg, "Zanth Levels v1.0\rZanth Levels", 31));
    EXPECT_EQ(host->suiteCounts("PF ANSI Suite", 1).acquired, 1);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EntryPoint, GlobalSetupReportsVersionAndExactFlags) {
    host->outData().out_flags = -1;
    host->outData().out_flags2 = -1;
    host->outData().my_version = 0;
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    EXPECT_EQ(host->outData().my_version, 0x00080001u);
    EXPECT_EQ(host->outData().out_flags, 0x02008000);  // custom UI, deep colour
    EXPECT_EQ(host->outData().out_flags2, 0x08001408);  // collapsed groups, smart render, float, threaded
    EXPECT_EQ(host->suiteCounts("PF AE App Suite", 7).acquired, 1);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EntryPoint, SetupAfterSetdownWorksAgain) {
    for (const char* language : {"zh_CN", "en_US", "zh_CN"}) {
        setUpEffect(language);
        const bool chinese = std::string(language) == "zh_CN";
        EXPECT_STREQ(host->param(1).name, chinese ? "\xCD\xA8\xB5\xC0" : "Channel") << language;
        ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    }
    EXPECT_HOST_CLEAN(*host);
}

// A host may send a second global set-up without a set-down between: the
// first name table goes, and the set-down leaves none (under LeakSanitizer a
// table left behind also fails the run of the module's own copy).
TEST_F(EntryPoint, ARepeatedSetUpKeepsOneNameTable) {
    using namespace Ombrix::Levels;
    const int before = NameTable::live();
    const auto setUp = [](PF_InData* in, PF_OutData* out) { return globalSetup(in, out); };
    const auto setDown = [](PF_InData* in, PF_OutData* out) { return globalSetdown(in, out); };
    ASSERT_EQ(host->callAs(PF_Cmd_GLOBAL_SETUP, setUp), PF_Err_NONE);
    EXPECT_EQ(NameTable::live(), before + 1);
    ASSERT_EQ(host->callAs(PF_Cmd_GLOBAL_SETUP, setUp), PF_Err_NONE);
    EXPECT_EQ(NameTable::live(), before + 1) << "the first table was left behind";
    ASSERT_EQ(host->callAs(PF_Cmd_GLOBAL_SETDOWN, setDown), PF_Err_NONE);
    EXPECT_EQ(NameTable::live(), before);
    EXPECT_HOST_CLEAN(*host);

    // The same through the module, in both languages.
    setUpEffect("zh_CN");
    setUpEffect("en_US");
    EXPECT_STREQ(host->param(1).name, "Channel");
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EntryPoint, UpdateParamsUiDisposesTheEffectItGetsAndChangesNothing) {
    setUpEffect();
    ASSERT_EQ(host->updateParamsUI(), PF_Err_NONE);
    EXPECT_TRUE(host->lastChanges().empty());
    EXPECT_EQ(host->suiteCounts("AEGP Effect Suite", 2).acquired, 1);
    EXPECT_EQ(host->suiteCounts("AEGP PF Interface Suite", 1).acquired, 1);
    EXPECT_EQ(host->liveObjects("AEGP_EffectRefH"), 0);
    EXPECT_HOST_CLEAN(*host);
}

struct Refusal {
    PF_Cmd cmd;
    const char* suite;
    int32_t version;
    bool nullTable;  // "success" without a table instead of a refusal
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << "command " << r.cmd << ", " << r.suite << " v" << r.version << (r.nullTable ? " (no table)" : "");
}

class RefusedSuite : public HostTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedSuite, GivesBadCallbackParamAndHoldsNothing) {
    const Refusal& r = GetParam();
    setUpEffect();
    if (r.nullTable) {
        host->giveNullSuite(r.suite, r.version);
    } else {
        host->refuseSuite(r.suite, r.version);
    }
    std::memset(host->outData().return_msg, 0, sizeof(host->outData().return_msg));
    host->outData().out_flags = 0;
    EXPECT_EQ(host->send(r.cmd), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host->outData().return_msg[0], '\0') << "no message for a refused suite";
    EXPECT_EQ(host->outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0);
    EXPECT_EQ(host->liveObjects("AEGP_EffectRefH"), 0);
    host->allowSuite(r.suite, r.version);
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(
    EntryPoint, RefusedSuite,
    ::testing::Values(Refusal{PF_Cmd_ABOUT, "PF ANSI Suite", 1, false},
                      Refusal{PF_Cmd_ABOUT, "PF ANSI Suite", 1, true},
                      Refusal{PF_Cmd_UPDATE_PARAMS_UI, "AEGP Effect Suite", 2, false},
                      Refusal{PF_Cmd_UPDATE_PARAMS_UI, "AEGP PF Interface Suite", 1, false},
                      Refusal{PF_Cmd_UPDATE_PARAMS_UI, "AEGP PF Interface Suite", 1, true}));

// A host whose language query fails in the way a C++ host can: by throwing.
bool gThrowBadAlloc = false;
PF_Err AE_CALLBACK throwingGetLanguage(A_char*) {
    if (gThrowBadAlloc) throw std::bad_alloc();
    throw std::runtime_error("host failure");
}

TEST_F(EntryPoint, FailedSetupInstallsNoNameTableAndKeepsAnEarlierOne) {
    PFAppSuite6 throwing{};
    throwing.PF_AppGetLanguage = throwingGetLanguage;
    // After a set-down there is no table: a failed set-up must not install one.
    host->provideSuite("PF AE App Suite", 7, &throwing);
    EXPECT_EQ(host->globalSetup(), PF_Err_BAD_CALLBACK_PARAM);
    host->refuseSuite("PF AE App Suite", 7);  // the language now comes from version 6
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    EXPECT_STREQ(host->param(1).name, "Channel");
    // A table from an earlier set-up stays when a later one fails.
    setUpEffect("zh_CN");
    host->allowSuite("PF AE App Suite", 7);
    EXPECT_EQ(host->globalSetup(), PF_Err_BAD_CALLBACK_PARAM);
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    EXPECT_STREQ(host->param(1).name, "\xCD\xA8\xB5\xC0");
    EXPECT_HOST_CLEAN(*host);
}

// The language is asked of version 7 of the application suite, else 6, else 5
// (all have PF_AppGetLanguage in the same slot), never of an older one; a host
// with none of them gets English names and a working set-up.
struct LanguageFallback {
    std::vector<int> refused;
    int answeredBy;  // 0: none, English
};
void PrintTo(const LanguageFallback& f, std::ostream* os) {
    *os << "refused";
    for (int v : f.refused) *os << " v" << v;
}
class AppSuiteFallback : public HostTest, public ::testing::WithParamInterface<LanguageFallback> {};

TEST_P(AppSuiteFallback, AsksNewestFirstAndNeverBelowFive) {
    host->setLanguageTag("zh_CN");
    for (int v : GetParam().refused) host->refuseSuite("PF AE App Suite", v);
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    EXPECT_STREQ(host->param(1).name, GetParam().answeredBy ? "\xCD\xA8\xB5\xC0" : "Channel");
    for (int v : {7, 6, 5}) {
        EXPECT_EQ(host->suiteCounts("PF AE App Suite", v).acquired, v == GetParam().answeredBy ? 1 : 0) << v;
    }
    for (int v : {4, 3, 2, 1}) EXPECT_EQ(host->suiteCounts("PF AE App Suite", v).acquired, 0) << v;
    EXPECT_HOST_CLEAN(*host);
}

INSTANTIATE_TEST_SUITE_P(EntryPoint, AppSuiteFallback,
                         ::testing::Values(LanguageFallback{{}, 7}, LanguageFallback{{7}, 6},
                                           LanguageFallback{{7, 6}, 5}, LanguageFallback{{7, 6, 5}, 0}));

TEST_F(EntryPoint, NoBasicSuiteIsARefusalExceptForTheLanguage) {
    host->withdrawBasicSuite(true);
    EXPECT_EQ(host->about(), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host->updateParamsUI(), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host->globalSetup(), PF_Err_NONE);  // English names
    host->withdrawBasicSuite(false);
    ASSERT_EQ(host->paramsSetup(), PF_Err_NONE);
    EXPECT_STREQ(host->param(1).name, "Channel");
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(EntryPoint, NoExceptionOfAnyTypeReachesTheHost) {
    PFAppSuite6 app{};
    app.PF_AppGetLanguage = throwingGetLanguage;
    host->provideSuite("PF AE App Suite", 7, &app);
    EXPECT_EQ(host->globalSetup(), PF_Err_BAD_CALLBACK_PARAM);
    gThrowBadAlloc = true;
    EXPECT_EQ(host->globalSetup(), PF_Err_OUT_OF_MEMORY);
    gThrowBadAlloc = false;
    EXPECT_HOST_CLEAN(*host);  // the suite was released while the exception passed
}

TEST_F(EntryPoint, NullRecordsAreRefused) {
    const PF_EntryPointFunc entry = host->module().entryPoint();
    EXPECT_EQ(entry(PF_Cmd_ABOUT, nullptr, &host->outData(), nullptr, nullptr, nullptr), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(entry(PF_Cmd_GLOBAL_SETUP, &host->inData(), nullptr, nullptr, nullptr, nullptr),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_HOST_CLEAN(*host);
}

// ---- the reporting acquisition of the Drawbot set ------------------------------------------

struct FakeDrawbot {
    DRAWBOT_DrawbotSuite1 draw{};
    DRAWBOT_SupplierSuite1 supplier{};
    DRAWBOT_SurfaceSuite2 surface{};
    DRAWBOT_PathSuite1 path{};
    void provide(hostsim::Host& host) {
        host.provideSuite("DRAWBOT Draw Suite", 1, &draw);
        host.provideSuite("DRAWBOT Supplier Suite", 1, &supplier);
        host.provideSuite("DRAWBOT Surface Suite", 2, &surface);
        host.provideSuite("DRAWBOT Path Suite", 1, &path);
    }
};

class DrawbotSet : public HostTest {
protected:
    void SetUp() override {
        HostTest::SetUp();
        fakes.provide(*host);
        std::memset(&host->outData(), 0, sizeof(PF_OutData));
    }
    FakeDrawbot fakes;
};

TEST_F(DrawbotSet, AcquiresAllFourAndReleasesThemInOrder) {
    using namespace Ombrix::Levels;
    DrawbotSuites suites;
    ASSERT_EQ(AEFX_AcquireDrawbotSuites(&host->inData(), &host->outData(), &suites), PF_Err_NONE);
    EXPECT_EQ(suites.drawSuite, &fakes.draw);
    EXPECT_EQ(suites.supplierSuite, &fakes.supplier);
    EXPECT_EQ(suites.surfaceSuite, &fakes.surface);
    EXPECT_EQ(suites.pathSuite, &fakes.path);
    EXPECT_EQ(host->outstandingSuites().size(), 4u);
    EXPECT_EQ(releaseDrawbotSuites(&host->inData(), &host->outData(), &suites), PF_Err_NONE);
    EXPECT_EQ(host->outData().out_flags, 0);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(DrawbotSet, StopsAtTheFirstRefusalWithItsMessage) {
    using namespace Ombrix::Levels;
    host->refuseSuite("DRAWBOT Surface Suite", 2);
    DrawbotSuites suites;
    EXPECT_EQ(AEFX_AcquireDrawbotSuites(&host->inData(), &host->outData(), &suites), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_NE(suites.drawSuite, nullptr);
    EXPECT_NE(suites.supplierSuite, nullptr);
    EXPECT_EQ(suites.surfaceSuite, nullptr);
    EXPECT_EQ(suites.pathSuite, nullptr);
    EXPECT_STREQ(host->outData().return_msg, "Not able to acquire AEFX Suite-DRAWBOT Surface Suite-2");
    EXPECT_TRUE(host->outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    // Only what was acquired is given back: a real host rejects any other release.
    releaseDrawbotSuites(&host->inData(), &host->outData(), &suites);
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(DrawbotSet, NullRecordAndMissingBasicSuiteAreReported) {
    using namespace Ombrix::Levels;
    EXPECT_EQ(AEFX_AcquireDrawbotSuites(&host->inData(), &host->outData(), nullptr), PF_Err_UNRECOGNIZED_PARAM_TYPE);
    EXPECT_STREQ(host->outData().return_msg, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");

    DrawbotSuites suites;
    ASSERT_EQ(AEFX_AcquireDrawbotSuites(&host->inData(), &host->outData(), &suites), PF_Err_NONE);
    host->withdrawBasicSuite(true);
    host->outData().out_flags = 0;
    EXPECT_EQ(releaseDrawbotSuites(&host->inData(), &host->outData(), &suites), PF_Err_NONE);
    EXPECT_STREQ(host->outData().return_msg, "Not able to release AEFX Suite.");
    EXPECT_TRUE(host->outData().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
    const void* table = nullptr;
    EXPECT_EQ(acquireSuiteReporting(&host->inData(), &host->outData(), "DRAWBOT Path Suite", 1, "custom text", &table),
              PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_STREQ(host->outData().return_msg, "custom text");
    EXPECT_EQ(table, nullptr);
    host->withdrawBasicSuite(false);
}

}  // namespace

namespace {

// The simulator is as strict as a host: what it would reject, tests see.
class Simulator : public zanth_test::HostTest {};

TEST_F(Simulator, FlagsReleasesWithoutAcquisition) {
    const SPBasicSuite* basic = host->inData().pica_basicP;
    EXPECT_NE(basic->ReleaseSuite("PF ANSI Suite", 1), 0);
    const void* suite = nullptr;
    ASSERT_EQ(basic->AcquireSuite("PF ANSI Suite", 1, &suite), 0);
    EXPECT_EQ(host->leaks().size(), 1u);
    EXPECT_EQ(basic->ReleaseSuite("PF ANSI Suite", 1), 0);
    EXPECT_EQ(basic->AcquireSuite("No Such Suite", 1, &suite), A_Err_MISSING_SUITE);
    ASSERT_EQ(host->violations().size(), 1u);
    EXPECT_NE(host->violations()[0].find("without a matching acquisition"), std::string::npos);
    host->clearViolations();
    EXPECT_HOST_CLEAN(*host);
}

}  // namespace
