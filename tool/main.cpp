// zanth-levels: runs the Zanth Levels module in the host simulator.
#include <algorithm>
#include <cstring>
#include <iostream>

#include "hostsim/HostError.h"
#include "tool/EffectOutput.h"
#include "tool/ParamSettings.h"
#include "tool/ToolCommon.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace zanth {
namespace {

const Subcommand kSubcommands[] = {
    {"about", "print the effect's About text",
     "usage: zanth-levels about [--raw]\n\n"
     "Prints the text the effect writes for the About command as the host shows it: its line breaks\n"
     "(carriage returns) as newlines, and a newline at the end. --raw writes the text's exact bytes,\n"
     "with nothing added.\n",
     runAbout, false},
    {"params", "list the declared parameters",
     "usage: zanth-levels params [--language TAG] [--verbose]\n\n"
     "Runs global set-up with host language TAG (default en_US) and parameter set-up, then prints one\n"
     "tab-separated line per declared parameter: index, disk id, type, displayed name (UTF-8) and its\n"
     "settings (default, value, valid and slider ranges, precision, flags in hex).\n"
     "--verbose shows what the module itself prints (its OpenGL description) on standard error.\n",
     runParams, false},
    {"inspect", "decode the module's registration record",
     "usage: zanth-levels inspect [--raw]\n\n"
     "Decodes the module's registration record, one property a line, without running its code.\n"
     "--raw writes the record's exact bytes to standard output instead.\n",
     runInspect, false},
    {"editor", "draw the histogram control after clicks and drags",
     "usage: zanth-levels editor OUTPUT.png [--input IMAGE] [--set \"NAME=VALUE\"]... [--zoom N]\n"
     "                           [--event click:X,Y | drag:X,Y | cursor:X,Y | auto | auto-channels]...\n"
     "                           [--no-render] [--verbose] [--force]\n\n"
     "--event auto clicks the control's auto button, auto-channels Shift-clicks it.\n"
     "Runs global and parameter set-up, takes IMAGE (default: the picture that testpicture writes; any\n"
     "picture render takes, at its depth: 8-bit or 16-bit PNG, OpenEXR) as the input layer, sets\n"
     "parameters by English name as render does, renders the layer once (the render counts the\n"
     "histogram the control shows; --no-render skips it, and the control shows its look while it waits\n"
     "for a render: no histogram) and sends the effect's\n"
     "300 x 110 histogram control a draw, then the events in order (points in the control's pixels,\n"
     "origin top-left), as the host's effect-controls panel would: a drag follows the click that started\n"
     "it, and the panel is redrawn whenever the effect asks. It then draws the control once more and\n"
     "writes it as a (300 N) x (110 N) RGBA PNG, drawn at zoom N (1 to 16, default 1).\n\n"
     "Prints one NAME=VALUE line per parameter the events changed, then display=colour or\n"
     "display=combined (the histogram's display mode, as the drawn mode buttons show it) and scale=S\n"
     "(the histogram's vertical scale), then a line 'cursor X,Y: finger' or 'cursor X,Y: arrow' for\n"
     "each cursor event.\n\n"
     "OUTPUT.png is written as render writes its output. --verbose shows what the module itself prints\n"
     "(its OpenGL description) on standard error.\n\n"
     "Bad usage, an unknown parameter, a value out of range or an unreadable input exit with 2 and\n"
     "write nothing; a host error code from the effect exits with 1.\n",
     runEditor, true},
    {"render", "render a picture through the effect",
     "usage: zanth-levels render INPUT.png OUTPUT.png [--set \"NAME=VALUE\"]... [--auto | --auto-channels]\n"
     "                           [--verbose] [--force]\n"
     "       zanth-levels render INPUT.exr OUTPUT.exr [--set \"NAME=VALUE\"]... [--auto | --auto-channels]\n"
     "                           [--verbose] [--force]\n\n"
     "--auto sets the composite input black and white as the editor's auto button does (RGB view),\n"
     "--auto-channels each of red, green and blue's as a Shift-click does; both print the levels set.\n"
     "A picker (\"Black Point=R,G,B\", 0..255 each) acts as the user's pick: the levels it sets are kept.\n\n"
     "Reads INPUT.png (RGBA, RGB or grey; opaque where it has no alpha) into the host's alpha-first\n"
     "world at its depth: 8-bit pictures into an 8-bit world, 16-bit pictures into a 16-bit world (PNG\n"
     "0..65535 taken to the host's 0..32768 and back, rounded; every host value survives), both rendered\n"
     "through PF_Cmd_RENDER. An OpenEXR INPUT.exr (half or float) goes into a float world as it is,\n"
     "linear and unclamped, through smart pre-render and smart render, and OUTPUT.exr is written with\n"
     "float channels and the input's data and display windows. Its R, G, B, A are read; else those of\n"
     "the first layer (diffuse.R, ...) or part that has them; else Y as grey, written back as Y unless\n"
     "the render coloured it (--verbose names the channels read); a file with none is refused. Runs global and parameter set-up, sets parameters by English name (\"Input\n"
     "Black\", \"Red Gamma\", \"Clip To Output White\", ...; Channel takes 1-5 or RGB/Red/Green/Blue/Alpha,\n"
     "checkboxes 0/1/on/off, sliders a decimal number in their valid range), renders one frame through\n"
     "the effect and writes OUTPUT.png: RGBA of the input's depth, straight alpha.\n\n"
     "Pictures up to 16384 x 16384 pixels are rendered; larger ones are refused from their header, and\n"
     "damaged or cut-short files before the picture is decoded.\n"
     "OUTPUT.png is written whole or not at all, through a temporary file beside it that a failure or\n"
     "a signal removes; an existing file keeps its permissions and owner; a symbolic link stays and its\n"
     "file is written. A write-protected OUTPUT is refused (exit 2) unless --force is given. A device or\n"
     "a pipe is written straight, and - is standard output. --verbose shows what the module itself prints (its OpenGL\n"
     "description) on standard error.\n\n"
     "An unknown name, a bad value or an unreadable input exits with 2; a host error code from the\n"
     "effect exits with 1. No failure leaves an output file behind.\n",
     runRender, true},
    {"testpicture", "write the generated test picture",
     "usage: zanth-levels testpicture OUTPUT.png [--size WIDTHxHEIGHT] [--depth 8|16] [--force]\n"
     "       zanth-levels testpicture OUTPUT.exr [--size WIDTHxHEIGHT] --depth 32 [--force]\n\n"
     "Writes the generated test picture (default 480x270): red, green, blue and grey ramps, a hue sweep\n"
     "whose alpha fades to the right, and a white block in the top-left corner that shows orientation.\n"
     "--depth 16 writes a 16-bit PNG whose bottom eighth is a fine grey ramp; --depth 32 an OpenEXR\n"
     "picture in linear float whose bottom eighth runs from -0.5 to 4.\n",
     runTestPicture, false},
};

void printUsage(std::ostream& out) {
    out << "usage: zanth-levels [--module PATH] COMMAND [ARGS]\n\n"
           "Runs the Zanth Levels effect module in a simulated host.\n"
           "--module PATH  the module to load (default: the one built beside this tool)\n\ncommands:\n";
    for (const Subcommand& c : kSubcommands) {
        out << "  " << c.name << std::string(std::max<size_t>(13, std::strlen(c.name) + 2) - std::strlen(c.name), ' ') << c.summary << "\n";
    }
    out << "\n'zanth-levels COMMAND --help' describes a command.\n";
}

// The usage lines of a command's help: everything before its first blank line.
std::string usageOf(const Subcommand& command) {
    const std::string help = command.help;
    return help.substr(0, help.find("\n\n") + 1);
}

// The names --set takes, wrapped at 100 columns.
void printSettableNames(std::ostream& out) {
    out << "\nNAME, in any case, is one of:\n";
    std::string line = " ";
    const std::vector<std::string>& names = settableNames();
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string item = " " + names[i] + (i + 1 < names.size() ? "," : "");
        if (line.size() + item.size() > 100) {
            out << line << "\n";
            line = " ";
        }
        line += item;
    }
    out << line << "\n";
}

}  // namespace

bool wantsHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") return true;
    }
    return false;
}

}  // namespace zanth

int main(int argc, char** argv) {
    using namespace zanth;
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    // The module's own output is discarded (shown on standard error with
    // --verbose); the tool's results keep standard output.
    SeparateEffectOutput effectOutput;
    std::vector<std::string> args(argv + 1, argv + argc);
    ToolContext context;
    context.showEffectOutput = [&effectOutput] { effectOutput.showOnStandardError(); };
    const Subcommand* command = nullptr;
    try {
        while (!args.empty() && args.front().rfind("--", 0) == 0) {
            if (args.front() == "--help" || args.front() == "-h") {
                printUsage(std::cout);
                return 0;
            }
            if (args.front() == "--module") {
                if (args.size() < 2) throw UsageError("--module needs a path");
                context.modulePath = args[1];
                args.erase(args.begin(), args.begin() + 2);
                continue;
            }
            throw UsageError("unknown option " + args.front());
        }
        if (args.empty()) throw UsageError("no command given");
        const std::string name = args.front();
        args.erase(args.begin());
        for (const Subcommand& c : kSubcommands) {
            if (name != c.name) continue;
            command = &c;
            if (wantsHelp(args)) {
                std::cout << c.help;
                if (c.takesSettings) printSettableNames(std::cout);
                return 0;
            }
            return c.run(context, args);
        }
        throw UsageError("unknown command " + name);
    } catch (const UsageError& e) {
        std::cerr << "zanth-levels: " << e.what() << "\n\n";
        if (command) {
            std::cerr << usageOf(*command) << "'zanth-levels " << command->name << " --help' describes the command.\n";
        } else {
            printUsage(std::cerr);
        }
        return 2;
    } catch (const EffectError& e) {
        std::cerr << "zanth-levels: " << e.what() << "\n";
        return 1;
    } catch (const hostsim::HostError& e) {
        std::cerr << "zanth-levels: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "zanth-levels: " << e.what() << "\n";
        return 1;
    }
}
