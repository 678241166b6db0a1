// A host simulator that plays the host application for one loaded effect:
// commands and their records, a parameter store, suites by name and version
// (any of which a test can refuse), and strict bookkeeping of everything the
// effect acquires, so tests can prove it is all given back.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/ae_suites.h"
#include "hostsim/Module.h"
#include "hostsim/Traps.h"

namespace hostsim {

struct SuiteCounts {
    int acquired = 0;
    int released = 0;
};

class Host {
public:
    // Loads the module (see Module). Only one Host may exist at a time: the
    // host's callbacks are plain C functions that find it through a global.
    explicit Host(const std::string& modulePath = defaultModulePath());
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    static Host& current();

    const Module& module() const { return *module_; }

    // ---- what a test can change -------------------------------------------
    // Bytes that PF_AppGetLanguage writes (at most 6; shorter tags are padded
    // with zero bytes). `fails` makes the call return an error and write nothing.
    void setLanguageTag(const std::string& tag, bool fails = false);
    void refuseSuite(const std::string& name, int32_t version);
    void allowSuite(const std::string& name, int32_t version);
    // AcquireSuite reports success but hands back no table.
    void giveNullSuite(const std::string& name, int32_t version);
    // The n-th add_param of a parameter set-up (1-based) returns `code`.
    void refuseAddParam(int nth, PF_Err code);
    void refuseRegisterUi(PF_Err code);
    // Makes the basic suite pointer in in_data null.
    void withdrawBasicSuite(bool withdrawn);
    // The n-th checkout_param from now on (1-based) fails with `code`; 0 clears.
    void failCheckout(int nth, PF_Err code);
    // Commands go to `entry` instead of the module's entry point (null: the
    // module's again): a test's own copy of the effect's commands, linked into
    // the test, whose counts the test can read.
    void routeCommandsTo(PF_EntryPointFunc entry) { routed_entry_ = entry; }

    // ---- commands -------------------------------------------------------------
    // Sends one command with the host's records. The parameter array is built
    // from the store; values a command writes with PF_ChangeFlag_CHANGED_VALUE
    // are taken back into the store afterwards, as a host does.
    PF_Err send(PF_Cmd cmd, PF_LayerDef* output = nullptr, void* extra = nullptr);
    PF_Err about() { return send(PF_Cmd_ABOUT); }
    PF_Err globalSetup() { return send(PF_Cmd_GLOBAL_SETUP); }
    PF_Err paramsSetup() { return send(PF_Cmd_PARAMS_SETUP); }
    PF_Err globalSetdown() { return send(PF_Cmd_GLOBAL_SETDOWN); }
    PF_Err updateParamsUI() { return send(PF_Cmd_UPDATE_PARAMS_UI); }
    // Renders the input layer (parameter 0) into `output`; may be called on any thread.
    PF_Err render(PF_LayerDef* output) { return send(PF_Cmd_RENDER, output); }

    // Another instance of the effect: a further effect reference that every
    // callback accepts. The instances share the parameter store.
    PF_ProgPtr addInstance();
    // Sends a command for one instance (its effect reference in in_data).
    PF_Err sendAs(PF_ProgPtr instance, PF_Cmd cmd, PF_LayerDef* output = nullptr, void* extra = nullptr);

    // Runs `body` as if the host were inside command `cmd`, for unit tests that
    // call the effect's code directly with the host's records.
    PF_Err callAs(PF_Cmd cmd, const std::function<PF_Err(PF_InData*, PF_OutData*)>& body);

    PF_InData& inData() { return in_data_; }
    PF_OutData& outData() { return out_data_; }
    PF_ProgPtr effectRef() const { return effect_ref_; }

    // ---- parameters ------------------------------------------------------------
    // Entries in the store, the input layer (index 0) included.
    int paramCount() const;
    const PF_ParamDef& param(int index) const;
    PF_ParamDef& param(int index);
    std::string popupChoices(int index) const;
    std::string checkboxLabel(int index) const;
    const PF_CustomUIInfo* registeredUi() const;
    // Changes taken back from the last command, as (index, parameter).
    const std::vector<std::pair<int, PF_ParamDef>>& lastChanges() const { return last_changes_; }
    void forgetParams();
    // The input layer (parameter 0); the world stays owned by the caller and
    // must outlive the commands that use it. Null: a layer without pixels.
    void setInputLayer(const PF_EffectWorld* world);
    // The input layer of one instance alone (a layer of its own, upstream
    // effects of its own); null: back to the shared layer of setInputLayer.
    void setInputLayerFor(PF_ProgPtr instance, const PF_EffectWorld* world);
    // The input layer as the instance sees it (the shared one unless it has its own).
    PF_EffectWorld inputLayerOf(PF_ProgPtr instance) const;

    // ---- colour parameters and the user's changes (ColorParams.cpp) -------------
    // Sets colour parameter `index` as the user's pick does: its 8-bit value
    // (each channel clamped to 0..1 and rounded; NaN as 0) and, behind it, the
    // colour itself, which "PF ColorParamSuite" v1 hands out while the 8-bit
    // value is still that colour's.
    void setColourParam(int index, const PF_PixelFloat& colour);
    PF_Err floatColourOf(PF_ProgPtr ref, const PF_ParamDef* def, PF_PixelFloat* colour);
    // PF_Cmd_USER_CHANGED_PARAM for parameter `index`, with its
    // PF_UserChangedParamExtra, as the host sends it for a supervised parameter.
    PF_Err userChangedParam(int index);
    // The parameter array of the command in progress on this thread (null: none).
    const std::vector<PF_ParamDef>* commandParams() const;

    // ---- what the inputs show ("PF Param Utils Suite" v3, ParamUtils.cpp) -----
    // PF_GetCurrentState, as the host's guide describes it: every non-layer
    // parameter's value (ownParamsState) and, where the index given is a layer
    // parameter's, that layer (layerState: its pixels and size), over the time
    // span asked about; equal for the same values, content and span on every
    // thread and command, different when any of them changes. In
    // PF_Cmd_UPDATE_PARAMS_UI it is a fresh random value, as the host's is.
    // `code` makes every call fail with it (0: they work again).
    void failCurrentState(PF_Err code);
    PF_State layerState(PF_ProgPtr instance, const A_Time& start, const A_Time& duration) const;
    PF_State ownParamsState(const A_Time& start, const A_Time& duration) const;
    PF_Err getCurrentState(PF_ProgPtr ref, PF_ParamIndex index, const A_Time* start, const A_Time* duration,
                           PF_State* state);
    // PF_GetCurrentState calls so far.
    int currentStateCalls() const;

    // ---- suites and objects ----------------------------------------------------
    void provideSuite(const std::string& name, int32_t version, const void* table);
    SuiteCounts suiteCounts(const std::string& name, int32_t version) const;
    // Names of suites acquired more often than released ("name v1 x2").
    std::vector<std::string> outstandingSuites() const;

    void objectMade(const std::string& kind);
    // False (and a violation) when no object of that kind is alive.
    bool objectReleased(const std::string& kind);
    int liveObjects(const std::string& kind) const;
    int checkedOutParams() const;

    // Everything still held by the effect: suites, objects, checked-out params.
    std::vector<std::string> leaks() const;
    // Calls a real host would reject: releases without acquisitions, unknown
    // handles, wrong effect references, ...
    std::vector<std::string> violations() const;
    void violation(const std::string& what);
    void clearViolations();
    // Called when a host ends with violations nobody cleared; the tests make
    // every such host a failure.
    static void onViolationsLeft(std::function<void(const std::vector<std::string>&)> report);

    // Hooks run after each command, for services that keep per-command state.
    void onCommandEnd(std::function<void()> hook) { command_end_hooks_.push_back(std::move(hook)); }
    // Keeps a service of the simulator (the Drawbot suites, ...) alive as long as the host.
    void keepService(std::shared_ptr<void> service) { services_.push_back(std::move(service)); }

    // PF_InvalidateRect calls ("PF AE App Suite"), in order; `whole` when no
    // rectangle was given. The host honours them only in a non-drawing event:
    // one made during PF_Event_DRAW is a violation and is not recorded.
    struct Invalidation {
        PF_ContextH context = nullptr;
        bool whole = false;
        PF_Rect rect{0, 0, 0, 0};
    };
    void recordInvalidation(PF_ContextH context, const PF_Rect* rect);
    std::vector<Invalidation> invalidations() const;
    void clearInvalidations();
    // Every PF_InvalidateRect call so far, cleared ones included.
    size_t invalidationCount() const;

    // The command in progress on the calling thread (-1 when none).
    PF_Cmd commandInProgress() const;
    // The event of the PF_Cmd_EVENT in progress on the calling thread (-1 when
    // none); EventSender sets it around each event it sends.
    PF_EventType eventInProgress() const;
    void setEventInProgress(PF_EventType type);

    // ---- smart rendering (SmartRender.cpp) -------------------------------------
    // PF_Cmd_SMART_PRE_RENDER for `request` at `bitdepth` (8, 16 or 32). What
    // it leaves (the output record, pre_render_data, the layer checkouts)
    // stays with the host until the next smart render, another pre-render or
    // discardPreRender(), which free pre_render_data through the effect's
    // delete function, as a host does.
    PF_Err smartPreRender(const PF_RenderRequest& request, A_short bitdepth);
    // The output record of the last pre-render (zeroed when there was none).
    PF_PreRenderOutput preRenderOutput() const;
    // PF_Cmd_SMART_RENDER after the pending pre-render, at its bit depth;
    // `output` is the world checkout_output hands out. Without a pending
    // pre-render: no pre_render_data, no checkouts, the given bit depth.
    PF_Err smartRender(PF_EffectWorld* output, A_short bitdepthWithoutPreRender = 8);
    void discardPreRender();
    // The request of a full frame of the input layer (or width x height).
    static PF_RenderRequest fullRequest(int width, int height);
    // checkout_layer, checkout_layer_pixels and checkout_output return `code`
    // (0: they work again).
    void refuseLayerCheckout(PF_Err code);
    void refuseLayerPixels(PF_Err code);
    void refuseOutput(PF_Err code);
    // The input layer as checkout_layer hands it out is cut to `rect` (a host
    // that knows the layer is transparent elsewhere); null: the whole layer.
    void trimLayerCheckout(const PF_LRect* rect);
    // Layer pixels checked out and not checked in (within a smart render).
    int layerPixelsCheckedOut() const;
    // How often the effect's delete function freed pre_render_data.
    int preRenderDataFreed() const;

    // ---- callbacks, used by the C trampolines ------------------------------------
    PF_Err checkoutLayer(PF_ProgPtr ref, A_long index, A_long id, const PF_RenderRequest* req, A_long time,
                         A_long step, A_u_long scale, PF_CheckoutResult* result);
    PF_Err checkoutLayerPixels(PF_ProgPtr ref, A_long id, PF_EffectWorld** pixels);
    PF_Err checkinLayerPixels(PF_ProgPtr ref, A_long id);
    PF_Err checkoutOutput(PF_ProgPtr ref, PF_EffectWorld** output);
    SPErr acquireSuite(const char* name, int32_t version, const void** suite);
    SPErr releaseSuite(const char* name, int32_t version);
    PF_Err addParam(PF_ProgPtr ref, A_long index, PF_ParamDefPtr def);
    PF_Err registerUi(PF_ProgPtr ref, PF_CustomUIInfo* info);
    PF_Err checkoutParam(PF_ProgPtr ref, A_long index, A_long time, A_long step, A_u_long scale, PF_ParamDef* out);
    PF_Err checkinParam(PF_ProgPtr ref, PF_ParamDef* def);
    PF_Err appGetLanguage(A_char* tag);
    bool validRef(PF_ProgPtr ref, const char* who);

private:
    struct StoredParam {
        PF_ParamDef def{};
        std::string choices;  // popup choice string
        std::string label;    // checkbox label
    };
    typedef std::pair<std::string, int32_t> SuiteKey;

    void installCoreSuites();

    // Smart rendering: what the last pre-render left, and the smart render in progress.
    struct PendingFrame {
        PF_RenderRequest request{};
        A_short bitdepth = 8;
        PF_PreRenderOutput output{};
        std::map<A_long, PF_LRect> checkouts;  // checkout id -> the rectangle of the layer
    };
    void freePending(PendingFrame& frame);
    std::unique_ptr<PendingFrame> pending_;
    std::unique_ptr<PendingFrame> checkingOut_;  // the pre-render in progress
    PF_PreRenderOutput lastPreRenderOutput_{};
    std::map<A_long, PF_EffectWorld> pixelViews_;  // the smart render's input worlds by id
    std::map<A_long, bool> pixelsOut_;             // id -> checked out now; present: checked out once
    PF_EffectWorld* smartOutput_ = nullptr;
    bool outputCheckedOut_ = false;
    PF_Err refuseLayerCheckout_ = 0;
    PF_Err refuseLayerPixels_ = 0;
    PF_Err refuseOutput_ = 0;
    bool trimmed_ = false;
    PF_LRect trim_{};
    int preRenderDataFreed_ = 0;

    std::unique_ptr<Module> module_;
    PF_InData in_data_{};
    PF_OutData out_data_{};
    std::array<PF_UnknownCallback, kMaxTrapSlots> utils_{};  // every slot a trap
    PF_ProgPtr effect_ref_ = nullptr;
    std::vector<std::unique_ptr<char>> instances_;  // effect references of addInstance
    std::map<PF_ProgPtr, PF_EffectWorld> instanceLayers_;  // instances with a layer of their own
    // The black frames a layer checkout hands out in PF_Cmd_UPDATE_PARAMS_UI,
    // by their pixel address, until checked in.
    std::map<const void*, std::vector<uint8_t>> blackFrames_;
    std::map<int, PF_PixelFloat> floatColours_;
    PF_Err failCurrentState_ = 0;
    int currentStateCalls_ = 0;

    mutable std::recursive_mutex mutex_;
    std::map<SuiteKey, const void*> suites_;
    std::map<SuiteKey, SuiteCounts> counts_;
    std::map<SuiteKey, int> refused_;  // 1 refused, 2 null table
    std::map<std::string, int> objects_;
    std::vector<std::string> violations_;
    std::vector<StoredParam> params_;
    std::unique_ptr<PF_CustomUIInfo> ui_;
    std::vector<std::pair<int, PF_ParamDef>> last_changes_;
    std::vector<std::function<void()>> command_end_hooks_;
    std::vector<std::shared_ptr<void>> services_;
    std::vector<Invalidation> invalidations_;
    size_t invalidationCount_ = 0;
    int checked_out_ = 0;

    std::string language_ = "en_US";
    bool language_fails_ = false;
    int add_param_calls_ = 0;
    int refuse_add_param_ = 0;
    PF_Err refuse_add_param_code_ = 0;
    PF_Err refuse_register_ui_ = 0;
    PF_EntryPointFunc routed_entry_ = nullptr;
    int checkout_calls_ = 0;
    int fail_checkout_ = 0;
    PF_Err fail_checkout_code_ = 0;
};

}  // namespace hostsim
