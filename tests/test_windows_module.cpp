// ZanthLevels.aex as a Windows host sees it: a 64-bit DLL whose only export
// is EntryPointFunc, which needs no DLL beyond the system's and carries its
// registration record as resource PIPL 16000 in U.S. English; loaded and
// driven through the simulator, it renders through WGL on several threads,
// puts the host's WGL context back after success and failure, and leaves no
// hidden window, window class or thread of its own behind after set-down.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <set>
#include <thread>

#include "hostsim/HostGlContext.h"
#include "hostsim/RenderServices.h"
#include "registration/ZanthLevelsPiPL.h"
#include "tests/RenderFixture.h"
#include "tests/WindowsGlFixture.h"

namespace {

using namespace zanth_test;
using hostsim::HostGlContext;

const std::string& modulePath() {
    static const std::string path = hostsim::defaultModulePath();
    return path;
}

std::vector<uint8_t> expectedRecord() {
    const uint16_t words[] = {ZANTH_PIPL_WORDS};
    std::vector<uint8_t> bytes;
    for (uint16_t w : words) {
        bytes.push_back(static_cast<uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The module mapped as data: resources and headers readable, no code run.
class ModuleImage {
public:
    ModuleImage() {
        handle_ = LoadLibraryExA(modulePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~ModuleImage() {
        if (handle_) FreeLibrary(handle_);
    }
    HMODULE get() const { return handle_; }

private:
    HMODULE handle_ = nullptr;
};

// ---- the file ----------------------------------------------------------------------------

TEST(WindowsModule, CarriesTheRegistrationRecordAsResourcePipl16000InUsEnglish) {
    ModuleImage image;
    ASSERT_NE(image.get(), nullptr) << modulePath() << " (error " << GetLastError() << ")";
    // As a host finds it: by type and name, then by language.
    HRSRC found = FindResourceA(image.get(), MAKEINTRESOURCEA(ZANTH_PIPL_RESOURCE_ID), "PIPL");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(FindResourceExA(image.get(), "PIPL", MAKEINTRESOURCEA(16000), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
              found);
    std::vector<WORD> languages;
    EnumResourceLanguagesA(
        image.get(), "PIPL", MAKEINTRESOURCEA(16000),
        [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) -> BOOL {
            reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{1033});

    HGLOBAL loaded = LoadResource(image.get(), found);
    ASSERT_NE(loaded, nullptr);
    const auto* bytes = static_cast<const uint8_t*>(LockResource(loaded));
    const DWORD size = SizeofResource(image.get(), found);
    ASSERT_EQ(size, static_cast<DWORD>(ZANTH_PIPL_SIZE));
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size), expectedRecord())
        << "the resource differs from the words of ZanthLevelsPiPL.h";
    EXPECT_EQ(hostsim::readRegistrationBytes(modulePath()), expectedRecord());
}

TEST(WindowsModule, IsA64BitDllExportingOnlyEntryPointFuncAndNeedingOnlySystemDlls) {
    HMODULE module = LoadLibraryA(modulePath().c_str());
    ASSERT_NE(module, nullptr) << "error " << GetLastError();
    const auto* base = reinterpret_cast<const uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
    ASSERT_EQ(nt->Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
    EXPECT_EQ(nt->OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_DLL);

    const IMAGE_DATA_DIRECTORY& exportDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(exportDir.VirtualAddress, 0u);
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + exportDir.VirtualAddress);
    EXPECT_EQ(exports->NumberOfFunctions, 1u);
    ASSERT_EQ(exports->NumberOfNames, 1u);
    const auto* names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    EXPECT_STREQ(reinterpret_cast<const char*>(base + names[0]), "EntryPointFunc");
    const auto* functions = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions);
    EXPECT_EQ(reinterpret_cast<const void*>(base + functions[0]),
              reinterpret_cast<const void*>(GetProcAddress(module, "EntryPointFunc")));

    // No libstdc++, libgcc, winpthread or glbinding DLL: a host has none.
    const std::set<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll",
                                          "msvcrt.dll",   "ucrtbase.dll", "advapi32.dll"};
    const IMAGE_DATA_DIRECTORY& importDir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> imported;
    for (const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + importDir.VirtualAddress);
         importDir.VirtualAddress != 0 && d->Name != 0; ++d) {
        imported.push_back(lower(reinterpret_cast<const char*>(base + d->Name)));
    }
    EXPECT_FALSE(imported.empty());
    for (const std::string& dll : imported) {
        EXPECT_TRUE(system.count(dll) != 0 || dll.rfind("api-ms-win-crt-", 0) == 0) << "imports " << dll;
    }
    EXPECT_NE(std::find(imported.begin(), imported.end(), "opengl32.dll"), imported.end());
    FreeLibrary(module);
}

// A host that unloads the module without a global set-down: the module's
// window thread still runs, so the module stays mapped under it until a
// set-down (after the host loads it again) lets the thread end.
TEST(WindowsModule, UnloadedWithoutSetDownItStaysLoadedWhileItsWindowThreadRuns) {
    forcePath(Path::Gpu);  // the root context and its window are the GPU path's
    {
        hostsim::Host host(modulePath());
        ::testing::internal::CaptureStdout();
        const PF_Err err = host.globalSetup();
        ::testing::internal::GetCapturedStdout();
        ASSERT_EQ(err, PF_Err_NONE);
    }
    EXPECT_NE(GetModuleHandleA("ZanthLevels.aex"), nullptr) << "the module was unmapped under its window thread";
    EXPECT_EQ(effectWindows().size(), 1u);
    {
        hostsim::Host again(modulePath());  // the same mapped module, its root context still alive
        EXPECT_EQ(again.globalSetdown(), PF_Err_NONE);
        EXPECT_TRUE(effectWindows().empty());
    }
    EXPECT_EQ(GetModuleHandleA("ZanthLevels.aex"), nullptr) << "the module stayed loaded after set-down and unload";
    setRendererVariable(nullptr);
}

// A host process that ends without a global set-down: its threads, the
// module's window thread among them, are gone before the module's static
// objects are destroyed, which then must not wait for that thread.
TEST(WindowsModuleDeathTest, AProcessEndingWithoutSetDownExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            forcePath(Path::Gpu);
            hostsim::Host host(modulePath());
            ::testing::internal::CaptureStdout();
            const PF_Err err = host.globalSetup();
            ::testing::internal::GetCapturedStdout();
            std::fflush(stdout);
            ExitProcess(err == PF_Err_NONE && effectWindows().size() == 1 ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
}

// ---- driven by the host --------------------------------------------------------------------

class WindowsHost : public RenderTest {
protected:
    // RenderTest's set-up forces the GPU path and keeps the context
    // descriptions it prints to itself.
    void TearDown() override {
        RenderTest::TearDown();
        EXPECT_TRUE(effectWindows().empty()) << "hidden windows left after global set-down";
    }
    PF_Err quietRender(hostsim::World& input, hostsim::World& output) {
        ::testing::internal::CaptureStdout();
        const PF_Err err = render(input, output);
        ::testing::internal::GetCapturedStdout();
        return err;
    }
};

LevelsSettings someSettings() {
    LevelsSettings s;
    s.composite = {12, 225, 1.6, 4, 250};
    s.green.gamma = 0.7;
    s.alpha.outputWhite = 200;
    return s;
}

TEST_F(WindowsHost, RendersTheLevelsMapThroughWglAndPutsBackTheHostsContext) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    HostGlContext hostContext;
    hostContext.makeCurrent();
    const WglState hosts;
    hostsim::World input = everyValuePicture(4, 8);
    for (int frame = 0; frame < 2; ++frame) {
        hostsim::World output(256, 4, PF_PixelFormat_ARGB32, 12);
        ASSERT_EQ(quietRender(input, output), PF_Err_NONE);
        const FrameCheck check = checkFrame(input, output, settings);
        EXPECT_EQ(check.wrong, 0) << check.firstWrong;
        EXPECT_GT(check.checked, 256 * 4 * 4 - 32);
        EXPECT_TRUE(WglState() == hosts) << "frame " << frame;
    }
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(WindowsHost, PutsBackTheHostsContextWhenARenderFails) {
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    ASSERT_EQ(quietRender(input, output), PF_Err_NONE);
    HostGlContext hostContext;
    hostContext.makeCurrent();
    const WglState hosts;
    void* const pixels = output.def()->data;
    output.def()->data = nullptr;  // an output world without pixels
    EXPECT_EQ(quietRender(input, output), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(WglState() == hosts);
    output.def()->data = static_cast<PF_PixelPtr>(pixels);
    output.def()->rowbytes = 4;  // rows too short for the frame
    EXPECT_EQ(quietRender(input, output), PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(WglState() == hosts);
    output.def()->rowbytes = 256 * 4;
    EXPECT_EQ(quietRender(input, output), PF_Err_NONE);
    EXPECT_TRUE(WglState() == hosts);
    hostContext.release();
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(WindowsHost, LeavesNoContextCurrentWhenTheHostHadNone) {
    ASSERT_TRUE(HostGlContext::noneCurrent());
    hostsim::World input = everyValuePicture();
    hostsim::World output(256, 4);
    ASSERT_EQ(quietRender(input, output), PF_Err_NONE);
    EXPECT_TRUE(HostGlContext::noneCurrent());
    EXPECT_EQ(wglGetCurrentDC(), nullptr);
}

TEST_F(WindowsHost, SetUpAndSetDownPutBackTheHostsContext) {
    HostGlContext hostContext;
    hostContext.makeCurrent();
    const WglState hosts;
    ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
    EXPECT_TRUE(WglState() == hosts);
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
    ::testing::internal::GetCapturedStdout();
    EXPECT_TRUE(WglState() == hosts);
    hostContext.release();
}

TEST_F(WindowsHost, TwoThreadsRenderAtOnceEachInAContextOfItsOwn) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture(8, 4);
    host->setInputLayer(input.def());
    std::atomic<int> failures{0};
    std::atomic<int> finished{0};
    std::atomic<bool> lookedAt{false};
    auto frames = [&] {
        HostGlContext hostContext;  // a host render thread with a GL context of its own
        hostContext.makeCurrent();
        const WglState hosts;
        for (int i = 0; i < 5; ++i) {
            hostsim::World output(256, 8);
            if (host->render(output.def()) != PF_Err_NONE) ++failures;
            if (checkFrame(input, output, settings).wrong != 0) ++failures;
            if (!(WglState() == hosts)) ++failures;
        }
        hostContext.release();
        // Alive until the windows are looked at: the next render after a
        // thread's end would release that thread's context and window.
        ++finished;
        while (!lookedAt) std::this_thread::yield();
    };
    ::testing::internal::CaptureStdout();
    std::thread a(frames);
    std::thread b(frames);
    while (finished < 2) std::this_thread::yield();
    const std::string printed = ::testing::internal::GetCapturedStdout();
    const auto windows = effectWindows();
    lookedAt = true;
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);

    // The root and one context per render thread, each described once, each
    // on a hidden window of a class of its own, all windows on one thread of
    // the module's that is neither render thread.
    size_t descriptions = 0;
    for (size_t at = printed.find("OpenGL Version:  "); at != std::string::npos;
         at = printed.find("OpenGL Version:  ", at + 1)) {
        ++descriptions;
    }
    EXPECT_EQ(descriptions, 2u) << printed;
    ASSERT_EQ(windows.size(), 3u);
    std::set<std::string> names;
    for (const auto& w : windows) {
        EXPECT_TRUE(wellFormedClassName(w.className)) << w.className;
        names.insert(w.className);
        EXPECT_EQ(w.thread, windows.front().thread);
    }
    EXPECT_EQ(names.size(), 3u);
    EXPECT_NE(windows.front().thread, GetCurrentThreadId());
    EXPECT_HOST_CLEAN(*host);
}

TEST_F(WindowsHost, SetDownThenSetUpLeavesNoWindowClassOrThreadBehind) {
    const LevelsSettings settings = someSettings();
    applySettings(*host, settings);
    hostsim::World input = everyValuePicture();
    std::set<std::string> everyName;
    for (int cycle = 0; cycle < 3; ++cycle) {
        hostsim::World output(256, 4);
        ASSERT_EQ(quietRender(input, output), PF_Err_NONE) << "cycle " << cycle;
        EXPECT_EQ(checkFrame(input, output, settings).wrong, 0);
        std::thread([&] {
            hostsim::World other(256, 4);
            EXPECT_EQ(quietRender(input, other), PF_Err_NONE);
        }).join();
        const auto windows = effectWindows();
        ASSERT_EQ(windows.size(), 3u) << "cycle " << cycle;
        for (const auto& w : windows) EXPECT_TRUE(everyName.insert(w.className).second) << w.className;

        ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
        EXPECT_TRUE(effectWindows().empty()) << "cycle " << cycle;
        for (const auto& w : windows) {
            EXPECT_FALSE(classRegistered(w.className)) << w.className << " is still registered";
        }
        EXPECT_FALSE(threadAlive(windows.front().thread)) << "the module's window thread outlived set-down";

        ::testing::internal::CaptureStdout();
        ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
        ::testing::internal::GetCapturedStdout();
    }
    EXPECT_HOST_CLEAN(*host);
}

// Every hidden window's device context is got and given back on the module's
// window thread: set-up cycles with renders on threads that end leave the
// process's GDI objects where they were (a DC got on a render thread and
// released on the set-down thread stayed behind, one per thread per cycle).
TEST_F(WindowsHost, SetUpCyclesWithRenderThreadsLeaveNoDeviceContextBehind) {
    hostsim::World input = everyValuePicture();
    auto cycle = [&] {
        for (int t = 0; t < 3; ++t) {
            std::thread([&] {
                hostsim::World output(256, 4);
                EXPECT_EQ(quietRender(input, output), PF_Err_NONE);
            }).join();
        }
        ASSERT_EQ(host->globalSetdown(), PF_Err_NONE);
        ::testing::internal::CaptureStdout();
        ASSERT_EQ(host->globalSetup(), PF_Err_NONE);
        ::testing::internal::GetCapturedStdout();
    };
    cycle();  // the first cycle may allocate what the system keeps for later ones
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (before == 0) GTEST_SKIP() << "this system does not count GDI objects (Wine)";
    for (int i = 0; i < 4; ++i) cycle();
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before + 2);
    EXPECT_HOST_CLEAN(*host);
}

}  // namespace
