#include "hostsim/Host.h"

#include <cmath>
#include <cstddef>
#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "hostsim/Drawbot.h"
#include "hostsim/HostError.h"
#include "hostsim/ParamUtils.h"
#include "hostsim/Poison.h"
#include "hostsim/RenderServices.h"
#include "hostsim/Traps.h"
#include "hostsim/World.h"

namespace hostsim {
namespace {

Host* gHost = nullptr;
std::function<void(const std::vector<std::string>&)> gViolationsLeft;
char gEffectToken;  // the effect reference handed to the module points here
thread_local PF_EventType tEvent = -1;  // the event of the PF_Cmd_EVENT in progress on this thread
thread_local PF_Cmd tCommand = -1;  // the command in progress on this thread (renders may run on several)
thread_local const std::vector<PF_ParamDef>* tParams = nullptr;  // the parameters of the command in progress
thread_local PF_ProgPtr tInstance = nullptr;  // the instance sendAs addresses; null: the first

std::string suiteLabel(const std::string& name, int32_t version) { return name + " v" + std::to_string(version); }

// ---- basic suite -------------------------------------------------------------
SPErr AE_CALLBACK spAcquireSuite(const char* name, int32_t version, const void** suite) {
    return Host::current().acquireSuite(name, version, suite);
}
SPErr AE_CALLBACK spReleaseSuite(const char* name, int32_t version) {
    return Host::current().releaseSuite(name, version);
}
// The broker's own functions; the other slots (IsEqual, the memory blocks,
// Undefined) are traps: the effect has no business calling them.
SPBasicSuite makeBasicSuite() {
    SPBasicSuite suite;
    fillWithTraps(suite, "SPBasicSuite");
    suite.AcquireSuite = spAcquireSuite;
    suite.ReleaseSuite = spReleaseSuite;
    return suite;
}
const SPBasicSuite kBasicSuite = makeBasicSuite();

// ---- interaction callbacks ----------------------------------------------------------
PF_Err AE_CALLBACK cbCheckout(PF_ProgPtr ref, A_long index, A_long time, A_long step, A_u_long scale,
                              PF_ParamDef* out) {
    return Host::current().checkoutParam(ref, index, time, step, scale, out);
}
PF_Err AE_CALLBACK cbCheckin(PF_ProgPtr ref, PF_ParamDef* def) { return Host::current().checkinParam(ref, def); }
PF_Err AE_CALLBACK cbAddParam(PF_ProgPtr ref, A_long index, PF_ParamDefPtr def) {
    return Host::current().addParam(ref, index, def);
}
PF_Err AE_CALLBACK cbRegisterUi(PF_ProgPtr ref, PF_CustomUIInfo* info) {
    return Host::current().registerUi(ref, info);
}

// ---- AEGP suites ---------------------------------------------------------------------
A_Err AE_CALLBACK aegpDisposeEffect(AEGP_EffectRefH effect) {
    Host& host = Host::current();
    if (!effect) {
        host.violation("AEGP_DisposeEffect called with a null effect");
        return A_Err_PARAMETER;
    }
    if (!host.objectReleased("AEGP_EffectRefH")) return A_Err_PARAMETER;
    delete reinterpret_cast<int*>(effect);
    return A_Err_NONE;
}
A_Err AE_CALLBACK aegpGetNewEffectForEffect(AEGP_PluginID, PF_ProgPtr ref, AEGP_EffectRefH* out) {
    Host& host = Host::current();
    if (!out || !host.validRef(ref, "AEGP_GetNewEffectForEffect")) return A_Err_PARAMETER;
    *out = reinterpret_cast<AEGP_EffectRefH>(new int(1));
    host.objectMade("AEGP_EffectRefH");
    return A_Err_NONE;
}

AEGP_EffectSuite2 makeEffectSuite() {
    AEGP_EffectSuite2 suite;
    fillWithTraps(suite, "AEGP Effect Suite v2");
    suite.AEGP_DisposeEffect = aegpDisposeEffect;
    return suite;
}
AEGP_PFInterfaceSuite1 makePFInterfaceSuite() {
    AEGP_PFInterfaceSuite1 suite;
    fillWithTraps(suite, "AEGP PF Interface Suite v1");
    suite.AEGP_GetNewEffectForEffect = aegpGetNewEffectForEffect;
    return suite;
}
const AEGP_EffectSuite2 kEffectSuite = makeEffectSuite();
const AEGP_PFInterfaceSuite1 kPFInterfaceSuite = makePFInterfaceSuite();

// ---- application suite -----------------------------------------------------------------
PF_Err AE_CALLBACK appInvalidateRect(const PF_ContextH context, const PF_Rect* rect) {
    Host::current().recordInvalidation(context, rect);
    return PF_Err_NONE;
}
PF_Err AE_CALLBACK appGetLanguage(A_char tag[PF_APP_LANG_TAG_SIZE]) { return Host::current().appGetLanguage(tag); }
// Versions 5, 6 and 7 of the application suite share their first eleven
// slots; the effect may call PF_AppGetLanguage and PF_InvalidateRect.
struct AppSuiteTable {
    PFAppSuite6 slots;
    PF_UnknownCallback appended[5];  // what a later version may add
};
AppSuiteTable makeAppSuite(const char* name) {
    AppSuiteTable table;
    fillWithTraps(table, name);
    table.slots.PF_AppGetLanguage = appGetLanguage;
    table.slots.PF_InvalidateRect = appInvalidateRect;
    return table;
}
const AppSuiteTable kAppSuite5 = makeAppSuite("PF AE App Suite v5");
const AppSuiteTable kAppSuite6 = makeAppSuite("PF AE App Suite v6");
const AppSuiteTable kAppSuite7 = makeAppSuite("PF AE App Suite v7");

// The ANSI suite is handed out (the effect asks for it) but its order is not
// known, so every slot is a trap.
struct AnsiSuiteTable {
    PF_UnknownCallback slots[32];
};
AnsiSuiteTable makeAnsiSuite() {
    AnsiSuiteTable table;
    fillWithTraps(table, "PF ANSI Suite v1");
    return table;
}
const AnsiSuiteTable kAnsiSuite = makeAnsiSuite();

PF_InteractCallbacks makeInteractCallbacks() {
    PF_InteractCallbacks inter;
    fillWithTraps(&inter, offsetof(PF_InteractCallbacks, reserved_str) / sizeof(void*), "PF_InteractCallbacks");
    std::memset(inter.reserved_str, 0, sizeof(inter.reserved_str));
    std::memset(inter.reserved, 0, sizeof(inter.reserved));
    inter.checkout_param = cbCheckout;
    inter.checkin_param = cbCheckin;
    inter.add_param = cbAddParam;
    inter.register_ui = cbRegisterUi;
    return inter;
}

}  // namespace

Host::Host(const std::string& modulePath) {
    if (gHost) throw HostError("only one simulated host may exist at a time");
    module_ = std::make_unique<Module>(modulePath);
    gHost = this;
    effect_ref_ = &gEffectToken;

    // The utility table's order is not known: every slot is a trap.
    fillWithTraps(utils_.data(), utils_.size(), "PF_UtilCallbacks");

    in_data_.inter = makeInteractCallbacks();
    in_data_.utils = reinterpret_cast<PF_UtilCallbacks*>(utils_.data());
    in_data_.effect_ref = effect_ref_;
    in_data_.quality = PF_Quality_HI;
    in_data_.version = PF_SpecVersion{13, 27};
    in_data_.appl_id = 0x46584645;  // 'FXFE'
    in_data_.current_time = 0;
    in_data_.time_step = 1001;
    in_data_.local_time_step = 1001;
    in_data_.total_time = 30030;
    in_data_.time_scale = 30000;
    in_data_.downsample_x = PF_RationalScale{1, 1};
    in_data_.downsample_y = PF_RationalScale{1, 1};
    in_data_.pixel_aspect_ratio = PF_RationalScale{1, 1};
    in_data_.pica_basicP = &kBasicSuite;

    params_.resize(1);
    params_[0].def.param_type = PF_Param_LAYER;
    installCoreSuites();
}

Host::~Host() {
    discardPreRender();  // the effect's delete function lives in the module
    module_.reset();  // unload first: the module's static objects may still call back while unloading
    gHost = nullptr;
    if (!violations_.empty() && gViolationsLeft) gViolationsLeft(violations_);
}

void Host::onViolationsLeft(std::function<void(const std::vector<std::string>&)> report) {
    gViolationsLeft = std::move(report);
}

Host& Host::current() {
    if (!gHost) {
        std::fprintf(stderr, "host callback called with no simulated host alive\n");
        std::abort();
    }
    return *gHost;
}

void Host::installCoreSuites() {
    provideSuite(kPFANSISuite, kPFANSISuiteVersion1, &kAnsiSuite);
    provideSuite(kAEGPEffectSuite, kAEGPEffectSuiteVersion2, &kEffectSuite);
    provideSuite(kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1, &kPFInterfaceSuite);
    provideSuite(kPFAppSuite, kPFAppSuiteVersion5, &kAppSuite5);
    provideSuite(kPFAppSuite, kPFAppSuiteVersion6, &kAppSuite6);
    provideSuite(kPFAppSuite, kPFAppSuiteVersion7, &kAppSuite7);
    installWorldServices(*this);
    installRenderServices(*this);
    installParamUtils(*this);
    installColorParams(*this);
    installDrawbotServices(*this);
}

void Host::setInputLayer(const PF_EffectWorld* world) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    params_[0].def = PF_ParamDef{};
    params_[0].def.param_type = PF_Param_LAYER;
    if (world) params_[0].def.u.ld = *world;
}

void Host::setInputLayerFor(PF_ProgPtr instance, const PF_EffectWorld* world) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (world) {
        instanceLayers_[instance] = *world;
    } else {
        instanceLayers_.erase(instance);
    }
}

PF_EffectWorld Host::inputLayerOf(PF_ProgPtr instance) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto own = instanceLayers_.find(instance);
    return own != instanceLayers_.end() ? own->second : params_[0].def.u.ld;
}

// ---- configuration ------------------------------------------------------------------------
void Host::setLanguageTag(const std::string& tag, bool fails) {
    language_ = tag.substr(0, PF_APP_LANG_TAG_SIZE);
    language_fails_ = fails;
}
void Host::refuseSuite(const std::string& name, int32_t version) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    refused_[{name, version}] = 1;
}
void Host::allowSuite(const std::string& name, int32_t version) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    refused_.erase({name, version});
}
void Host::giveNullSuite(const std::string& name, int32_t version) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    refused_[{name, version}] = 2;
}
void Host::refuseAddParam(int nth, PF_Err code) {
    refuse_add_param_ = nth;
    refuse_add_param_code_ = code;
}
void Host::refuseRegisterUi(PF_Err code) { refuse_register_ui_ = code; }
void Host::withdrawBasicSuite(bool withdrawn) { in_data_.pica_basicP = withdrawn ? nullptr : &kBasicSuite; }
void Host::failCheckout(int nth, PF_Err code) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    checkout_calls_ = 0;
    fail_checkout_ = nth;
    fail_checkout_code_ = code;
}

// ---- commands --------------------------------------------------------------------------------
PF_Err Host::send(PF_Cmd cmd, PF_LayerDef* output, void* extra) {
    // Each command gets its own records, so renders may come from several threads at once.
    std::vector<PF_ParamDef> copies;
    PF_InData in_data;
    PF_OutData out_data;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        in_data = in_data_;
        out_data = out_data_;
        for (const StoredParam& p : params_) {
            copies.push_back(p.def);
            copies.back().uu.change_flags = PF_ChangeFlag_NONE;
        }
        if (tInstance) copies[0].u.ld = inputLayerOf(tInstance);
        if (cmd == PF_Cmd_PARAMS_SETUP) {
            add_param_calls_ = 0;
            params_.resize(1);
            ui_.reset();
        }
    }
    std::vector<PF_ParamDef*> pointers;
    for (PF_ParamDef& p : copies) pointers.push_back(&p);
    pointers.push_back(nullptr);
    in_data.num_params = static_cast<A_long>(copies.size());
    if (tInstance) in_data.effect_ref = tInstance;

    // What the effect has no business writing is poisoned and checked afterwards.
    PoisonedMembers poisoned;
    poisoned.poison("PF_InData.inter.reserved_str", in_data.inter.reserved_str, sizeof(in_data.inter.reserved_str));
    poisoned.poison("PF_InData.inter.reserved", in_data.inter.reserved, sizeof(in_data.inter.reserved));
    poisoned.poison("PF_InData.reserved", &in_data.reserved, sizeof(in_data.reserved));
    poisoned.poison("PF_InData.src_snd", &in_data.src_snd, sizeof(in_data.src_snd));
    poisoned.keep("PF_InData up to num_params", &in_data, offsetof(PF_InData, num_params));
    poisoned.keep("PF_InData after num_params", &in_data.what_cpu,
                  offsetof(PF_InData, src_snd) - offsetof(PF_InData, what_cpu));
    poisoned.keep("PF_InData after src_snd", &in_data.pica_basicP, sizeof(PF_InData) - offsetof(PF_InData, pica_basicP));
    poisoned.poison("PF_OutData.dest_snd", &out_data.dest_snd, sizeof(out_data.dest_snd));
    for (size_t i = 0; i < copies.size(); ++i) {
        poisoned.poison("PF_ParamDef.unused", &copies[i].unused, sizeof(copies[i].unused));
        if (copies[i].param_type == PF_Param_LAYER) HOSTSIM_POISON_WORLD(poisoned, "input layer", copies[i].u.ld);
    }
    if (output) HOSTSIM_POISON_WORLD(poisoned, "output world", *output);

    const PF_Cmd outer = tCommand;
    const std::vector<PF_ParamDef>* outerParams = tParams;
    tCommand = cmd;
    tParams = &copies;
    // No parameter array comes with the smart commands: they check parameters out.
    const bool smart = cmd == PF_Cmd_SMART_PRE_RENDER || cmd == PF_Cmd_SMART_RENDER;
    const PF_EntryPointFunc entry = routed_entry_ ? routed_entry_ : module_->entryPoint();
    const PF_Err err = entry(cmd, &in_data, &out_data, smart ? nullptr : pointers.data(), output, extra);
    tCommand = outer;
    tParams = outerParams;
    for (const std::string& member : poisoned.changed()) {
        violation("command " + std::to_string(cmd) + " changed " + member + ", which the effect has no business writing");
    }

    std::lock_guard<std::recursive_mutex> lock(mutex_);
    in_data_.num_params = in_data.num_params;
    out_data.dest_snd = out_data_.dest_snd;  // the poison stays in the command's copy
    out_data_ = out_data;
    last_changes_.clear();
    // The host honours changed values only in PF_Cmd_USER_CHANGED_PARAM and in
    // the click, drag and key events.
    const bool mayChange = cmd == PF_Cmd_USER_CHANGED_PARAM ||
                           (cmd == PF_Cmd_EVENT && (tEvent == PF_Event_DO_CLICK || tEvent == PF_Event_DRAG ||
                                                    tEvent == PF_Event_KEYDOWN));
    for (size_t i = 0; i < copies.size() && i < params_.size(); ++i) {
        if (!(copies[i].uu.change_flags & PF_ChangeFlag_CHANGED_VALUE)) continue;
        if (!mayChange) {
            violation("command " + std::to_string(cmd) + " changed parameter " + std::to_string(i) +
                      ", which the host does not honour then");
            continue;
        }
        if (copies[i].param_type == PF_Param_FLOAT_SLIDER) {
            const PF_FloatSliderDef& fs = copies[i].u.fs_d;
            if (!(fs.value >= fs.valid_min && fs.value <= fs.valid_max)) {
                violation("parameter " + std::to_string(i) + " changed to " + std::to_string(fs.value) +
                          ", outside its valid range");
                continue;
            }
        }
        PF_ParamDef changed = copies[i];
        changed.uu.id = params_[i].def.uu.id;
        params_[i].def.u = changed.u;
        last_changes_.emplace_back(static_cast<int>(i), changed);
    }
    if (cmd == PF_Cmd_GLOBAL_SETUP && err == PF_Err_NONE &&
        out_data_.my_version != module_->registration().effectVersion) {
        violation("global set-up reported version " + std::to_string(out_data_.my_version) +
                  ", the registration record says " + std::to_string(module_->registration().effectVersion));
    }
    if (cmd == PF_Cmd_GLOBAL_SETUP && err == PF_Err_NONE &&
        (static_cast<uint32_t>(out_data_.out_flags) != module_->registration().outFlags ||
         static_cast<uint32_t>(out_data_.out_flags2) != module_->registration().outFlags2)) {
        violation("global set-up reported flags " + std::to_string(out_data_.out_flags) + "/" +
                  std::to_string(out_data_.out_flags2) + ", the registration record says " +
                  std::to_string(module_->registration().outFlags) + "/" +
                  std::to_string(module_->registration().outFlags2));
    }
    if (cmd == PF_Cmd_PARAMS_SETUP && err == PF_Err_NONE && out_data_.num_params != paramCount()) {
        violation("parameter set-up declared num_params " + std::to_string(out_data_.num_params) + " but added " +
                  std::to_string(paramCount() - 1) + " parameters");
    }
    for (auto& hook : command_end_hooks_) hook();
    return err;
}

PF_ProgPtr Host::addInstance() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    instances_.push_back(std::make_unique<char>('i'));
    return static_cast<PF_ProgPtr>(instances_.back().get());
}

PF_Err Host::sendAs(PF_ProgPtr instance, PF_Cmd cmd, PF_LayerDef* output, void* extra) {
    const PF_ProgPtr outer = tInstance;
    tInstance = instance;
    try {
        const PF_Err err = send(cmd, output, extra);
        tInstance = outer;
        return err;
    } catch (...) {
        tInstance = outer;
        throw;
    }
}

PF_Err Host::callAs(PF_Cmd cmd, const std::function<PF_Err(PF_InData*, PF_OutData*)>& body) {
    if (cmd == PF_Cmd_PARAMS_SETUP) forgetParams();
    tCommand = cmd;
    PF_Err err = PF_Err_NONE;
    try {
        err = body(&in_data_, &out_data_);
    } catch (...) {
        tCommand = -1;
        throw;
    }
    tCommand = -1;
    return err;
}

PF_Cmd Host::commandInProgress() const { return tCommand; }
const std::vector<PF_ParamDef>* Host::commandParams() const { return tParams; }
PF_EventType Host::eventInProgress() const { return tEvent; }
void Host::setEventInProgress(PF_EventType type) { tEvent = type; }

// ---- parameters ----------------------------------------------------------------------------------
int Host::paramCount() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return static_cast<int>(params_.size());
}
const PF_ParamDef& Host::param(int index) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return params_.at(static_cast<size_t>(index)).def;
}
PF_ParamDef& Host::param(int index) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return params_.at(static_cast<size_t>(index)).def;
}
std::string Host::popupChoices(int index) const { return params_.at(static_cast<size_t>(index)).choices; }
std::string Host::checkboxLabel(int index) const { return params_.at(static_cast<size_t>(index)).label; }
const PF_CustomUIInfo* Host::registeredUi() const { return ui_.get(); }
void Host::forgetParams() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    params_.resize(1);
    ui_.reset();
}

bool Host::validRef(PF_ProgPtr ref, const char* who) {
    if (ref == effect_ref_) return true;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        for (const auto& instance : instances_) {
            if (ref == static_cast<PF_ProgPtr>(instance.get())) return true;
        }
    }
    violation(std::string(who) + " called with a wrong effect reference");
    return false;
}

PF_Err Host::addParam(PF_ProgPtr ref, A_long index, PF_ParamDefPtr def) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "add_param") || !def) return PF_Err_BAD_CALLBACK_PARAM;
    if (tCommand != PF_Cmd_PARAMS_SETUP) {
        violation("add_param called outside parameter set-up");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (index != -1) {
        violation("add_param called with index " + std::to_string(index) + " instead of -1");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (++add_param_calls_ == refuse_add_param_) return refuse_add_param_code_;
    if (std::memchr(def->name, 0, sizeof(def->name)) == nullptr) {
        violation("add_param: name is not terminated within its 32 bytes");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    StoredParam stored;
    stored.def = *def;
    if (def->param_type == PF_Param_POPUP) {
        if (!def->u.pd.u.namesptr) {
            violation("add_param: popup without choices");
            return PF_Err_BAD_CALLBACK_PARAM;
        }
        stored.choices = def->u.pd.u.namesptr;
        stored.def.u.pd.u.namesptr = nullptr;  // the effect's buffer is gone after the call
    } else if (def->param_type == PF_Param_CHECKBOX) {
        stored.label = def->u.bd.u.nameptr ? def->u.bd.u.nameptr : "";
        stored.def.u.bd.u.nameptr = nullptr;
    }
    params_.push_back(std::move(stored));
    for (StoredParam& p : params_) {  // keep the host's own copies of the strings
        if (p.def.param_type == PF_Param_POPUP) p.def.u.pd.u.namesptr = p.choices.c_str();
        if (p.def.param_type == PF_Param_CHECKBOX) p.def.u.bd.u.nameptr = p.label.c_str();
    }
    return PF_Err_NONE;
}

PF_Err Host::registerUi(PF_ProgPtr ref, PF_CustomUIInfo* info) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "register_ui") || !info) return PF_Err_BAD_CALLBACK_PARAM;
    if (tCommand != PF_Cmd_PARAMS_SETUP) {
        violation("register_ui called outside parameter set-up");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    if (refuse_register_ui_) return refuse_register_ui_;
    ui_ = std::make_unique<PF_CustomUIInfo>(*info);
    return PF_Err_NONE;
}

PF_Err Host::checkoutParam(PF_ProgPtr ref, A_long index, A_long /*time*/, A_long /*step*/, A_u_long scale,
                           PF_ParamDef* out) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "checkout_param") || !out) return PF_Err_BAD_CALLBACK_PARAM;
    if (scale == 0) violation("checkout_param called with time scale 0");
    if (index < 0 || index >= static_cast<A_long>(params_.size())) {
        violation("checkout_param called with index " + std::to_string(index));
        return PF_Err_INVALID_INDEX;
    }
    if (fail_checkout_ && ++checkout_calls_ == fail_checkout_) return fail_checkout_code_;
    *out = params_[static_cast<size_t>(index)].def;
    if (out->param_type == PF_Param_LAYER) {
        out->u.ld = inputLayerOf(ref);
        // The UI thread must not render frames: the host's guide forbids layer
        // checkouts in events, and in a parameter-UI update hands out a black
        // frame of the layer's size.
        if (tCommand == PF_Cmd_EVENT) violation("checkout_param of a layer during an event (the UI thread)");
        if (tCommand == PF_Cmd_UPDATE_PARAMS_UI) {
            violation("checkout_param of a layer during PF_Cmd_UPDATE_PARAMS_UI");
            const int pixelBytes = World::bytesPerPixel(worldFormat(&out->u.ld));
            if (out->u.ld.data && pixelBytes > 0 && out->u.ld.width > 0 && out->u.ld.height > 0) {
                const size_t rowBytes = static_cast<size_t>(out->u.ld.width) * static_cast<size_t>(pixelBytes);
                std::vector<uint8_t> black(rowBytes * static_cast<size_t>(out->u.ld.height), 0);
                out->u.ld.data = reinterpret_cast<PF_PixelPtr>(black.data());
                out->u.ld.rowbytes = static_cast<A_long>(rowBytes);
                blackFrames_[black.data()] = std::move(black);
            }
        }
    }
    ++checked_out_;
    return PF_Err_NONE;
}

PF_Err Host::checkinParam(PF_ProgPtr ref, PF_ParamDef* def) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!validRef(ref, "checkin_param") || !def) return PF_Err_BAD_CALLBACK_PARAM;
    if (checked_out_ == 0) {
        violation("checkin_param without a checked-out parameter");
        return PF_Err_BAD_CALLBACK_PARAM;
    }
    --checked_out_;
    if (def->param_type == PF_Param_LAYER) blackFrames_.erase(def->u.ld.data);
    return PF_Err_NONE;
}

int Host::checkedOutParams() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return checked_out_;
}

PF_Err Host::appGetLanguage(A_char* tag) {
    if (!tag) return PF_Err_BAD_CALLBACK_PARAM;
    if (language_fails_) return PF_Err_BAD_CALLBACK_PARAM;
    char bytes[PF_APP_LANG_TAG_SIZE] = {0};
    std::memcpy(bytes, language_.data(), std::min(language_.size(), sizeof(bytes)));
    std::memcpy(tag, bytes, sizeof(bytes));
    return PF_Err_NONE;
}

// ---- suites ---------------------------------------------------------------------------------------
void Host::provideSuite(const std::string& name, int32_t version, const void* table) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    suites_[{name, version}] = table;
}

SPErr Host::acquireSuite(const char* name, int32_t version, const void** suite) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!name || !suite) {
        violation("AcquireSuite called with a null argument");
        return A_Err_PARAMETER;
    }
    const SuiteKey key{name, version};
    auto refused = refused_.find(key);
    auto found = suites_.find(key);
    if ((refused != refused_.end() && refused->second == 1) || found == suites_.end()) {
        return A_Err_MISSING_SUITE;
    }
    *suite = (refused != refused_.end() && refused->second == 2) ? nullptr : found->second;
    ++counts_[key].acquired;
    return A_Err_NONE;
}

SPErr Host::releaseSuite(const char* name, int32_t version) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (!name) {
        violation("ReleaseSuite called with a null name");
        return A_Err_PARAMETER;
    }
    SuiteCounts& c = counts_[{name, version}];
    if (c.released >= c.acquired) {
        violation("ReleaseSuite(" + suiteLabel(name, version) + ") without a matching acquisition");
        return A_Err_PARAMETER;
    }
    ++c.released;
    return A_Err_NONE;
}

SuiteCounts Host::suiteCounts(const std::string& name, int32_t version) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = counts_.find({name, version});
    return found == counts_.end() ? SuiteCounts{} : found->second;
}

std::vector<std::string> Host::outstandingSuites() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& entry : counts_) {
        const int held = entry.second.acquired - entry.second.released;
        if (held > 0) out.push_back(suiteLabel(entry.first.first, entry.first.second) + " x" + std::to_string(held));
    }
    return out;
}

// ---- invalidations ----------------------------------------------------------------------------------
void Host::recordInvalidation(PF_ContextH context, const PF_Rect* rect) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (tCommand == PF_Cmd_EVENT && tEvent == PF_Event_DRAW) {
        // "Only valid while handling a non-drawing event": the host ignores it.
        violation("PF_InvalidateRect during PF_Event_DRAW, where the host ignores it");
        return;
    }
    Invalidation entry;
    entry.context = context;
    entry.whole = rect == nullptr;
    if (rect) entry.rect = *rect;
    invalidations_.push_back(entry);
    ++invalidationCount_;
}

size_t Host::invalidationCount() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return invalidationCount_;
}

std::vector<Host::Invalidation> Host::invalidations() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return invalidations_;
}

void Host::clearInvalidations() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    invalidations_.clear();
}

// ---- objects ----------------------------------------------------------------------------------------
void Host::objectMade(const std::string& kind) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    ++objects_[kind];
}

bool Host::objectReleased(const std::string& kind) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int& live = objects_[kind];
    if (live <= 0) {
        violation("release of a " + kind + " that is not alive");
        return false;
    }
    --live;
    return true;
}

int Host::liveObjects(const std::string& kind) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = objects_.find(kind);
    return found == objects_.end() ? 0 : found->second;
}

std::vector<std::string> Host::leaks() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const std::string& s : outstandingSuites()) out.push_back("suite " + s);
    for (const auto& entry : objects_) {
        if (entry.second > 0) out.push_back(std::to_string(entry.second) + " live " + entry.first);
    }
    if (checked_out_ > 0) out.push_back(std::to_string(checked_out_) + " parameters checked out");
    return out;
}

std::vector<std::string> Host::violations() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return violations_;
}

void Host::violation(const std::string& what) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    violations_.push_back(what);
}

void Host::clearViolations() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    violations_.clear();
}

}  // namespace hostsim
