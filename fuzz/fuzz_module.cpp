// Drives the built module through the host simulator from the fuzz input, as a
// host might: commands in any order (global set-up and set-down included, each
// set-up on the GPU path, the CPU path or the machine's choice),
// parameter values of every kind (NaN, infinities, huge), frames of odd sizes
// and row padding, custom-UI events of every kind at any position, in either
// of two instances, and host services that refuse or fail at any point.
//
// After every command: nothing the effect acquired is still held, the host
// saw nothing it would reject, and an 8-bit frame rendered with finite
// settings on a host that failed nothing matches the independent model of the
// levels map within one code value. The sanitizers watch for the rest.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/ae_suites.h"
#include "hostsim/Drawbot.h"
#include "hostsim/Events.h"
#include "hostsim/Host.h"
#include "hostsim/RenderServices.h"
#include "hostsim/World.h"
#include "params/ParamIndices.h"
#include "render/LevelsSettings.h"
#include "tests/LevelsReference.h"

namespace {

using namespace Ombrix::Levels;

constexpr int kMaxSide = 64;
constexpr int kMaxSteps = 24;

struct SuiteName {
    const char* name;
    int32_t version;
};
const SuiteName kSuites[] = {
    {kPFANSISuite, kPFANSISuiteVersion1},
    {kPFAppSuite, kPFAppSuiteVersion5},
    {kPFAppSuite, kPFAppSuiteVersion6},
    {kPFAppSuite, kPFAppSuiteVersion7},
    {kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1},
    {kPFWorldSuite, kPFWorldSuiteVersion2},
    {kPFHandleSuite, kPFHandleSuiteVersion1},
    {kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1},
    {"AEGP Effect Suite", 2},
    {"AEGP PF Interface Suite", 1},
    {"DRAWBOT Draw Suite", 1},
    {"DRAWBOT Supplier Suite", 1},
    {"DRAWBOT Surface Suite", 2},
    {"DRAWBOT Path Suite", 1},
};
const char* const kDrawbotCalls[] = {"PF_GetDrawingReference", "GetSupplier", "GetSurface", "NewPen",
                                     "NewBrush", "NewPath", "NewImageFromBuffer", "ReleaseObject",
                                     "StrokePath", "FillPath", "DrawImage"};
// The render path each global set-up asks for: the GPU path (Mesa's
// llvmpipe, forced), the CPU path (no GL at all, so a cheap set-up) or the
// machine's own choice.
const char* const kRenderers[] = {"gpu", "cpu", "auto"};
const char* const kLanguages[] = {"en_US", "zh_CN", "ja_JP", "", "zh_TW", "fr_FR", "zh_CN\x01"};
const PF_Err kHostCodes[] = {PF_Err_OUT_OF_MEMORY, PF_Err_INTERNAL_STRUCT_DAMAGED, PF_Err_INVALID_INDEX,
                             PF_Err_BAD_CALLBACK_PARAM, PF_Interrupt_CANCEL, 7, -1};
const PF_EventType kEventTypes[] = {PF_Event_DO_CLICK, PF_Event_DRAG,         PF_Event_DRAW,
                                    PF_Event_ADJUST_CURSOR, PF_Event_NEW_CONTEXT, PF_Event_ACTIVATE,
                                    PF_Event_IDLE,      PF_Event_KEYDOWN,      PF_Event_MOUSE_EXITED};

template <typename T, size_t N>
const T& pick(FuzzedDataProvider& in, const T (&table)[N]) {
    return table[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

[[noreturn]] void finding(const std::string& what, const std::vector<std::string>& lines = {}) {
    std::fprintf(stderr, "fuzz_module: %s\n", what.c_str());
    for (const std::string& l : lines) std::fprintf(stderr, "  %s\n", l.c_str());
    std::abort();
}

double levelValue(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange<int>(0, 9)) {
        case 0: return std::numeric_limits<double>::quiet_NaN();
        case 1: return std::numeric_limits<double>::infinity();
        case 2: return -std::numeric_limits<double>::infinity();
        case 3: return in.ConsumeBool() ? 1e300 : -1e300;
        case 4: return in.ConsumeFloatingPoint<double>();
        case 5: return in.ConsumeFloatingPointInRange<double>(0.0, 5.0);  // gamma's range
        default: return static_cast<double>(in.ConsumeIntegralInRange<int>(-20, 280));
    }
}

// The state the simulated host and the module share between steps.
class Session {
public:
    Session() : host_(ZANTH_MODULE_PATH) {
        setenv("ZANTH_LEVELS_RENDERER", "gpu", 1);  // the first set-up: the path with the most to get wrong
        second_ = host_.addInstance();
        first_ = std::make_unique<hostsim::EventSender>(host_, options(nullptr, 0));
        other_ = std::make_unique<hostsim::EventSender>(host_, options(second_, 120));
    }

    // A sound host again, with the effect set up and its parameters declared.
    // The module stays set up from one input to the next: making its OpenGL
    // contexts anew for every input would cost far more than the input itself.
    void reset() {
        clearInjections();
        host_.setInputLayer(nullptr);
        host_.clearViolations();
        host_.clearInvalidations();
        if (!setUp_) {
            if (host_.globalSetup() == PF_Err_NONE) setUp_ = true;
        }
        if (!paramsComplete_) {
            host_.paramsSetup();
            paramsComplete_ = host_.paramCount() == kParamCount;
        }
        check("reset");
        if (!paramsComplete_) return;
        // Every level back to its default, so that each input starts alike.
        for (int block = 0; block < kChannelCount; ++block) {
            const double defaults[] = {0.0, 255.0, 1.0, 0.0, 255.0};
            for (int slot = kSlotInputBlack; slot <= kSlotOutputWhite; ++slot) {
                host_.param(blockStart(block) + slot).u.fs_d.value = defaults[slot - kSlotInputBlack];
            }
        }
        host_.param(kParamChannel).u.pd.value = kChannelRGB;
        host_.param(kParamClipBlack).u.bd.value = 1;
        host_.param(kParamClipWhite).u.bd.value = 1;
    }

    void step(FuzzedDataProvider& in) {
        // Global set-up and set-down (0, 1) are the costly ones: they come
        // rarely, the rest about equally often.
        int op = in.ConsumeIntegralInRange<int>(0, 40);
        if (op >= 12) op = 2 + (op - 12) % 10;
        switch (op) {
            case 0: {
                setenv("ZANTH_LEVELS_RENDERER", pick(in, kRenderers), 1);
                host_.setLanguageTag(pick(in, kLanguages), in.ConsumeIntegralInRange<int>(0, 7) == 0);
                const PF_Err err = host_.globalSetup();
                if (err == PF_Err_NONE && !injected_) setUp_ = true;
                check("global set-up");
                break;
            }
            case 1:
                host_.globalSetdown();
                setUp_ = false;
                check("global set-down");
                break;
            case 2: {
                const bool refuse = in.ConsumeIntegralInRange<int>(0, 5) == 0;
                if (refuse) host_.refuseAddParam(in.ConsumeIntegralInRange<int>(1, 40), pick(in, kHostCodes));
                const PF_Err err = host_.paramsSetup();
                host_.refuseAddParam(0, PF_Err_NONE);
                paramsComplete_ = host_.paramCount() == kParamCount;
                if (err != PF_Err_NONE) {
                    // A refused add_param leaves fewer parameters than announced:
                    // the simulator notes that against the host, not the effect.
                    host_.clearViolations();
                }
                check("parameter set-up");
                break;
            }
            case 3: host_.about(); check("about"); break;
            case 4: host_.updateParamsUI(); check("parameter UI update"); break;
            case 5: render(in); break;
            case 6:
            case 7: event(in); break;
            case 8: setParams(in); break;
            case 9: inject(in); break;
            case 10: clearInjections(); break;
            case 11: {
                const PF_Cmd cmd = in.ConsumeIntegral<int32_t>();
                if (cmd == PF_Cmd_RENDER || cmd == PF_Cmd_EVENT) break;  // need their records
                const PF_Err err = host_.send(cmd);
                if (cmd == PF_Cmd_GLOBAL_SETDOWN) setUp_ = false;
                if (cmd == PF_Cmd_GLOBAL_SETUP && err == PF_Err_NONE && !injected_) setUp_ = true;
                if (cmd == PF_Cmd_PARAMS_SETUP) {
                    paramsComplete_ = host_.paramCount() == kParamCount;
                    host_.clearViolations();
                }
                check("command " + std::to_string(cmd));
                break;
            }
        }
    }

private:
    static hostsim::EventSender::Options options(PF_ProgPtr instance, int top) {
        hostsim::EventSender::Options o;
        o.frame = PF_Rect{0, top, 300, top + 110};
        o.instance = instance;
        o.redrawWhenAsked = true;
        return o;
    }

    void check(const std::string& after) {
        // Objects whose release the host itself refused are the host's to
        // clean up, not a leak of the effect's.
        hostsim::DrawbotSim::current().collectRefusedReleases();
        const std::vector<std::string> leaks = host_.leaks();
        if (!leaks.empty()) finding("still held after " + after, leaks);
        const std::vector<std::string> violations = host_.violations();
        if (!violations.empty()) finding("host violations after " + after, violations);
    }

    void clearInjections() {
        for (const SuiteName& s : kSuites) host_.allowSuite(s.name, s.version);
        host_.withdrawBasicSuite(false);
        host_.failCheckout(0, PF_Err_NONE);
        host_.refuseAddParam(0, PF_Err_NONE);
        host_.refuseRegisterUi(PF_Err_NONE);
        host_.setLanguageTag("en_US");
        hostsim::failHandleAllocations(0);
        hostsim::failIterations(PF_Err_NONE);
        hostsim::DrawbotSim::current().clearFailures();
        injected_ = false;
    }

    void inject(FuzzedDataProvider& in) {
        injected_ = true;
        switch (in.ConsumeIntegralInRange<int>(0, 6)) {
            case 0: {
                const SuiteName& s = pick(in, kSuites);
                host_.refuseSuite(s.name, s.version);
                break;
            }
            case 1: {
                const SuiteName& s = pick(in, kSuites);
                host_.giveNullSuite(s.name, s.version);
                break;
            }
            case 2: host_.failCheckout(in.ConsumeIntegralInRange<int>(1, 30), pick(in, kHostCodes)); break;
            case 3: hostsim::failHandleAllocations(in.ConsumeIntegralInRange<int>(1, 3)); break;
            case 4:
                hostsim::DrawbotSim::current().failCall(pick(in, kDrawbotCalls), in.ConsumeIntegralInRange<int>(1, 9),
                                                        in.ConsumeIntegralInRange<int>(1, 20),
                                                        in.ConsumeBool() ? 1 : -1);
                break;
            case 5: host_.withdrawBasicSuite(true); break;
            case 6: host_.refuseRegisterUi(pick(in, kHostCodes)); break;
        }
    }

    void setParams(FuzzedDataProvider& in) {
        if (host_.paramCount() <= kParamChannel) return;
        const int count = in.ConsumeIntegralInRange<int>(1, 8);
        for (int k = 0; k < count; ++k) {
            const int index = in.ConsumeIntegralInRange<int>(1, host_.paramCount() - 1);
            PF_ParamDef& p = host_.param(index);
            switch (p.param_type) {
                case PF_Param_POPUP:
                    if (index == kParamView) break;  // the pixels are checked against the levels' model
                    p.u.pd.value = in.ConsumeBool() ? in.ConsumeIntegralInRange<A_long>(1, 5) : in.ConsumeIntegral<A_long>();
                    break;
                case PF_Param_FLOAT_SLIDER: p.u.fs_d.value = levelValue(in); break;
                case PF_Param_CHECKBOX: p.u.bd.value = in.ConsumeIntegralInRange<A_long>(0, 2); break;
                default: break;
            }
        }
    }

    hostsim::World frame(FuzzedDataProvider& in, PF_PixelFormat format) {
        const int width = in.ConsumeIntegralInRange<int>(0, kMaxSide);
        const int height = in.ConsumeIntegralInRange<int>(0, kMaxSide);
        const int padding = in.ConsumeIntegralInRange<int>(0, 3) == 0 ? in.ConsumeIntegralInRange<int>(0, 40) : 0;
        hostsim::World world(width, height, format, padding);
        uint32_t seed = in.ConsumeIntegral<uint32_t>();
        for (uint8_t& b : world.memory()) {
            seed = seed * 1664525u + 1013904223u;
            b = static_cast<uint8_t>(seed >> 24);
        }
        return world;
    }

    LevelsSettings settings() const {
        LevelsSettings s;
        ChannelLevels* blocks[] = {&s.composite, &s.red, &s.green, &s.blue, &s.alpha};
        for (int block = 0; block < kChannelCount; ++block) {
            const auto v = [&](LevelSlot slot) { return host_.param(blockStart(block) + slot).u.fs_d.value; };
            *blocks[block] = ChannelLevels{v(kSlotInputBlack), v(kSlotInputWhite), v(kSlotGamma), v(kSlotOutputBlack),
                                           v(kSlotOutputWhite)};
        }
        s.clipBlack = host_.param(kParamClipBlack).u.bd.value != 0;
        s.clipWhite = host_.param(kParamClipWhite).u.bd.value != 0;
        return s;
    }

    void render(FuzzedDataProvider& in) {
        const PF_PixelFormat format = in.ConsumeIntegralInRange<int>(0, 5) == 0 ? PF_PixelFormat_ARGB64 : PF_PixelFormat_ARGB32;
        hostsim::World input = frame(in, format);
        const bool sameSize = in.ConsumeIntegralInRange<int>(0, 4) != 0;
        hostsim::World output = sameSize ? hostsim::World(input.width(), input.height(), format,
                                                          in.ConsumeIntegralInRange<int>(0, 8))
                                         : frame(in, format);
        host_.setInputLayer(input.def());
        const PF_Err err = host_.render(output.def());
        host_.setInputLayer(nullptr);
        check("render " + std::to_string(input.width()) + " x " + std::to_string(input.height()));

        if (!setUp_ || !paramsComplete_ || injected_ || format != PF_PixelFormat_ARGB32) return;
        const LevelsSettings s = Ombrix::Levels::sanitised(settings());  // as the effect reads them
        if (err != PF_Err_NONE) finding("a render on a sound host failed with " + std::to_string(err));
        const int width = std::min(input.width(), output.width());
        const int height = std::min(input.height(), output.height());
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                for (zanth_test::Channel c : {zanth_test::kAlpha, zanth_test::kRed, zanth_test::kGreen,
                                              zanth_test::kBlue}) {
                    const int value = zanth_test::channelOf(input.pixel8(x, y), c);
                    const int model = zanth_test::byteModel(value, c, s);
                    const int got = zanth_test::channelOf(output.pixel8(x, y), c);
                    if (got != model) {
                        finding("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") channel " +
                                std::to_string(c) + ": input " + std::to_string(value) + ", output " +
                                std::to_string(got) + ", model " + std::to_string(model));
                    }
                }
            }
        }
    }

    void event(FuzzedDataProvider& in) {
        hostsim::EventSender& sender = in.ConsumeBool() ? *first_ : *other_;
        const PF_EventType type = pick(in, kEventTypes);
        PF_EventExtra event = sender.makeEvent(type);
        const int top = sender.options().frame.top;
        const PF_Point point{in.ConsumeIntegralInRange<A_long>(-40, 340), top + in.ConsumeIntegralInRange<A_long>(-40, 150)};
        if (type == PF_Event_ADJUST_CURSOR) {
            event.u.adjust_cursor.screen_point = point;
        } else if (type == PF_Event_DO_CLICK || type == PF_Event_DRAG) {
            event.u.do_click.screen_point = point;
            event.u.do_click.num_clicks = 1;
            const int target = in.ConsumeIntegralInRange<int>(0, 7);
            event.u.do_click.continue_refcon[0] = target == 6 ? 99 : target == 7 ? in.ConsumeIntegral<int64_t>() : target;
            event.u.do_click.send_drag = TRUE;
            event.u.do_click.last_time = in.ConsumeBool();
        }
        if (in.ConsumeIntegralInRange<int>(0, 7) == 0) event.effect_win.area = in.ConsumeIntegralInRange<int>(0, 4);
        if (in.ConsumeIntegralInRange<int>(0, 9) == 0) event.effect_win.index = in.ConsumeIntegralInRange<int>(-1, 41);
        if (in.ConsumeIntegralInRange<int>(0, 9) == 0) sender.context().w_type = in.ConsumeIntegralInRange<int>(0, 4);
        sender.send(event);
        sender.context().w_type = PF_Window_EFFECT;
        check("event " + std::to_string(type));
    }

    hostsim::Host host_;
    PF_ProgPtr second_ = nullptr;
    std::unique_ptr<hostsim::EventSender> first_;
    std::unique_ptr<hostsim::EventSender> other_;
    bool setUp_ = false;
    bool paramsComplete_ = false;
    bool injected_ = false;
};

Session& session() {
    static Session* s = new Session();  // one host for the whole run
    return *s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Session& s = session();
    s.reset();
    FuzzedDataProvider in(data, size);
    for (int step = 0; step < kMaxSteps && in.remaining_bytes() > 0; ++step) s.step(in);
    return 0;
}
