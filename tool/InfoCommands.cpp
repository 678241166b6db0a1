// about, params and inspect: what the module says about itself.
#include <cstdio>
#include <iostream>
#include <sstream>

#include "hostsim/Host.h"
#include "params/ParamIndices.h"
#include "tool/ToolCommon.h"

namespace zanth {
namespace {

std::string modulePathOf(const ToolContext& context) {
    return context.modulePath.empty() ? hostsim::defaultModulePath() : context.modulePath;
}

void check(const char* command, PF_Err err) {
    if (err != PF_Err_NONE) throw EffectError(command, err);
}

std::string hex(long value) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "0x%02lX", value);
    return buf;
}

std::string number(double value) {
    char buf[32];
    std::snprintf(buf, sizeof(buf), "%.10g", value);
    return buf;
}

const char* typeName(PF_ParamType type) {
    switch (type) {
        case PF_Param_LAYER: return "layer";
        case PF_Param_SLIDER: return "slider";
        case PF_Param_FIX_SLIDER: return "fixed-slider";
        case PF_Param_CHECKBOX: return "checkbox";
        case PF_Param_POPUP: return "popup";
        case PF_Param_COLOR: return "colour";
        case PF_Param_NO_DATA: return "custom-ui";
        case PF_Param_FLOAT_SLIDER: return "float-slider";
        case PF_Param_GROUP_START: return "group-start";
        case PF_Param_GROUP_END: return "group-end";
        default: return "other";
    }
}

std::string settingsOf(const hostsim::Host& host, int index) {
    const PF_ParamDef& p = host.param(index);
    std::ostringstream s;
    switch (p.param_type) {
        case PF_Param_POPUP:
            s << "default=" << p.u.pd.dephault << "\tvalue=" << p.u.pd.value << "\tchoices=" << p.u.pd.num_choices
              << ":" << gbkToUtf8(host.popupChoices(index));
            break;
        case PF_Param_COLOR: {
            const auto rgb = [](const PF_Pixel& c) {
                return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
            };
            s << "default=" << rgb(p.u.cd.dephault) << "\tvalue=" << rgb(p.u.cd.value);
            break;
        }
        case PF_Param_CHECKBOX:
            s << "default=" << int(p.u.bd.dephault) << "\tvalue=" << p.u.bd.value << "\tlabel=\""
              << host.checkboxLabel(index) << "\"";
            break;
        case PF_Param_FLOAT_SLIDER:
            s << "default=" << number(p.u.fs_d.dephault) << "\tvalue=" << number(p.u.fs_d.value)
              << "\tvalid=" << number(p.u.fs_d.valid_min) << ".." << number(p.u.fs_d.valid_max)
              << "\tslider=" << number(p.u.fs_d.slider_min) << ".." << number(p.u.fs_d.slider_max)
              << "\tprecision=" << p.u.fs_d.precision;
            break;
        case PF_Param_NO_DATA:
            s << "ui=" << p.ui_width << "x" << p.ui_height << "\tui_flags=" << hex(p.ui_flags);
            break;
        default: break;
    }
    std::string text = s.str();
    if (!text.empty()) text += "\t";
    return text + "flags=" + hex(p.flags);
}

}  // namespace

// The host shows a carriage return (or a CR LF pair) as a line break.
std::string asShown(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        }
    }
    return out;
}

int runAbout(const ToolContext& context, const std::vector<std::string>& args) {
    bool raw = false;
    for (const std::string& a : args) {
        if (a != "--raw") throw UsageError("unknown argument to about: " + a);
        raw = true;
    }
    hostsim::Host host(modulePathOf(context));
    check("about", host.about());
    const std::string text = host.outData().return_msg;
    if (raw) {
        std::cout << text;
    } else {
        std::cout << asShown(text) << "\n";
    }
    std::cout.flush();
    return 0;
}

int runParams(const ToolContext& context, const std::vector<std::string>& args) {
    std::string language = "en_US";
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--verbose") {
            context.showEffectOutput();
        } else if (args[i] == "--language") {
            if (i + 1 >= args.size()) throw UsageError("--language needs a tag, for example zh_CN");
            language = args[++i];
            if (language.size() > 5) throw UsageError("a language tag has at most 5 characters: " + language);
        } else {
            throw UsageError("unknown argument to params: " + args[i]);
        }
    }
    hostsim::Host host(modulePathOf(context));
    host.setLanguageTag(language);
    check("global set-up", host.globalSetup());
    const PF_Err setupErr = host.paramsSetup();
    if (setupErr == PF_Err_NONE) {
        for (int index = 1; index < host.paramCount(); ++index) {
            const PF_ParamDef& p = host.param(index);
            std::cout << index << '\t' << p.uu.id << '\t' << typeName(p.param_type) << '\t' << gbkToUtf8(p.name)
                      << '\t' << settingsOf(host, index) << '\n';
        }
    }
    const PF_Err setdownErr = host.globalSetdown();
    check("parameter set-up", setupErr);
    check("global set-down", setdownErr);
    return 0;
}

int runInspect(const ToolContext& context, const std::vector<std::string>& args) {
    bool raw = false;
    for (const std::string& a : args) {
        if (a == "--raw") {
            raw = true;
        } else {
            throw UsageError("unknown argument to inspect: " + a);
        }
    }
    // Only the file is read: no module code runs.
    const std::string path = modulePathOf(context);
    const std::vector<uint8_t> bytes = hostsim::readRegistrationBytes(path);
    if (raw) {
        std::cout.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::cout.flush();
        return 0;
    }
    const hostsim::Registration reg = hostsim::decodePiPL(bytes);
    std::cout << "size: " << bytes.size() << " bytes\n";
    std::cout << "properties: " << reg.properties.size() << "\n";
    for (const std::string& line : hostsim::describeRegistration(reg)) std::cout << line << "\n";
    return 0;
}

}  // namespace zanth
