#include "CliOptions.h"

#include "minimap/MinimapRenderer.h"
#include "text/IntegerText.h"

#include <functional>
#include <map>

namespace tessel::cli {

const char* const MainUsage =
    "Usage: tessel-cli COMMAND [OPTIONS] ...\n"
    "\n"
    "Turns WarCraft 2 scenario files (.pud) into minimap images.\n"
    "\n"
    "Commands:\n"
    "  render   render scenario files or folders of them into bitmaps\n"
    "  info     show what scenario files hold: era, side, players, description...\n"
    "  gallery  make a browsable web page of scenario files with their minimaps\n"
    "  demo     write a generated demo archive and demo scenarios\n"
    "\n"
    "  tessel-cli COMMAND --help   shows the options of a command\n"
    "  tessel-cli --version        shows the version\n";

const char* const RenderUsage =
    "Usage: tessel-cli render [OPTIONS] PATH...\n"
    "\n"
    "Renders each scenario file, and every .pud file found under each folder,\n"
    "into a minimap named after the scenario (map.pud gives map.bmp). Scenarios\n"
    "found under a folder keep their sub-folder below the output folder; with\n"
    "several folders given, each folder's go below its own name (a second\n"
    "folder of one name is NAME-2). Where two scenarios would share a minimap,\n"
    "the later one's is numbered (map-2.bmp). No minimap replaces a scenario\n"
    "of the run. Failures name each scenario by its path below the folder or\n"
    "file given. A zip archive, given or found in a folder, is read as a\n"
    "folder named after it (pack.zip holding maps/a.pud gives pack/maps/a.bmp).\n"
    "\n"
    "Options:\n"
    "  -o, --output DIR      output folder (default: the current folder; created when missing)\n"
    "  -a, --archive FILE    the game archive MAINDAT.WAR (default: MainDat of the settings)\n"
    "      --builtin-tileset render with Tessel's own tileset instead of the game archive\n"
    "      --size N          image side in pixels for every map size (default: 160, or the settings file's)\n"
    "      --size32 N        image side for maps of 32 tiles (likewise --size64, --size96, --size128)\n"
    "      --units           paint units over the terrain\n"
    "      --no-units        terrain only\n"
    "  -f, --format FORMAT   bmp (default) or png\n"
    "  -j, --jobs N          scenarios rendered at once (default: one per core)\n"
    "      --settings FILE   take the defaults from this settings file\n"
    "      --no-settings     take the built-in defaults (160 pixels, units drawn)\n"
    "      --no-cache        load the archive afresh for every scenario\n"
    "      --update          skip each map whose image is newer than its scenario and was\n"
    "                        made with the same settings (kept in DIR/.tessel-update)\n"
    "  -q, --quiet           no progress display and no summary\n"
    "  -h, --help            show this text\n"
    "\n"
    "Defaults come from the desktop program's settings file, so its options\n"
    "apply here too. Without an archive, given or set there, the built-in\n"
    "tileset is used. Exit status: 0 when every minimap was written, 1 when\n"
    "any failed, 2 for a usage error, 128 + the signal's number when ended by\n"
    "SIGINT, SIGTERM, SIGHUP or SIGPIPE (the minimaps written so far stay);\n"
    "on Windows 130 for Ctrl-C, 149 for Ctrl-Break, 129 when the console closes.\n";

const char* const InfoUsage =
    "Usage: tessel-cli info [--long | --short | --json] [--builtin-tileset] PATH...\n"
    "\n"
    "Shows, for each scenario file (and every .pud file under each folder or in\n"
    "each zip archive), its era, map side and unit count, format version,\n"
    "description, players, gold mines and oil patches, and each player slot's\n"
    "controller, race, starting resources and start location; or why it cannot\n"
    "be read. One scenario is shown in full; several are shown one line each:\n"
    "  NAME: ERA, S x S tiles, N units; seats H human, C computer, R rescue; gold G in M mines; \"DESCRIPTION\"\n"
    "\n"
    "Options:\n"
    "  -l, --long            the full form, also for several scenarios\n"
    "  -s, --short           one line per scenario, also for a single one\n"
    "      --json            one JSON object per line\n"
    "      --builtin-tileset also count the tiles the built-in tileset has no picture for\n"
    "  -h, --help            show this text\n";

const char* const GalleryUsage =
    "Usage: tessel-cli gallery [OPTIONS] PATH... -o DIR\n"
    "\n"
    "Makes a browsable catalogue of scenario files, and of every .pud file found\n"
    "under each folder: DIR/index.html shows every map as a card with its\n"
    "minimap, name, side, era, players, description and gold, to filter, search\n"
    "and sort; it works from disk without a network. The minimaps go into\n"
    "DIR/minimaps as PNG files, laid out as render lays them out; DIR/maps.json\n"
    "holds the data. Maps are named by their path below the folder or file\n"
    "given, with the folder's own name in front when several are given; a zip\n"
    "archive is read as a folder named after it.\n"
    "\n"
    "Options:\n"
    "  -o, --output DIR      the gallery's folder (created when missing)\n"
    "      --title TEXT      the page's title (default: \"Map gallery\")\n"
    "  -a, --archive FILE    the game archive MAINDAT.WAR (default: MainDat of the settings)\n"
    "      --builtin-tileset render with Tessel's own tileset instead of the game archive\n"
    "      --size N          image side in pixels for every map size (default: 160)\n"
    "      --size32 N        image side for maps of 32 tiles (likewise --size64, --size96, --size128)\n"
    "      --units           paint units over the terrain\n"
    "      --no-units        terrain only\n"
    "  -j, --jobs N          scenarios rendered at once (default: one per core)\n"
    "      --settings FILE   take the defaults from this settings file\n"
    "      --no-settings     take the built-in defaults (units drawn)\n"
    "      --no-cache        load the archive afresh for every scenario\n"
    "      --update          skip each map whose image is newer than its scenario and was\n"
    "                        made with the same settings (kept in DIR/.tessel-update)\n"
    "  -q, --quiet           no progress display and no summary\n"
    "  -h, --help            show this text\n"
    "\n"
    "Without an archive, given or set in the settings, the built-in tileset is\n"
    "used. Exit status: 0 when every scenario is in the gallery, 1 when any\n"
    "failed (the page lists them with their message), 2 for a usage error,\n"
    "128 + the signal's number when ended by SIGINT, SIGTERM, SIGHUP or\n"
    "SIGPIPE.\n";

const char* const DemoUsage =
    "Usage: tessel-cli demo DIR\n"
    "\n"
    "Writes DIR/MAINDAT.WAR, an archive with a generated tileset for all four\n"
    "eras (nothing in it comes from the game), and generated scenarios in\n"
    "DIR/scenarios, ready for: tessel-cli render -a DIR/MAINDAT.WAR DIR/scenarios\n";

namespace {

// Walks a command's arguments: options (with "--name=value" or a separate
// value) and plain operands; "--" ends the options. Options take effect in
// command-line order, so that the last of --size and --size32 wins.
//
// Not CLI11 (Debian's libcli11-dev 2.1.2): it was tried on these command
// lines and changes what they mean. "--output=" with an empty value takes
// the next argument as the folder instead of refusing it; operands after
// "--" that follow other operands leave the command as unexpected
// arguments, so a file named "-x.pud" cannot be given; and every usage
// message would need a translation layer by exception type to keep its
// text, more code than this walker.
class ArgumentWalker {
public:
    explicit ArgumentWalker(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    using Handler = std::function<void(const std::string& value)>;

    void Flag(std::initializer_list<std::string> names, std::function<void()> handler)
    {
        for (const auto& name : names)
            flags_[name] = handler;
    }
    void Valued(std::initializer_list<std::string> names, Handler handler)
    {
        for (const auto& name : names)
            valued_[name] = handler;
    }

    std::vector<std::string> Run()
    {
        std::vector<std::string> operands;
        bool optionsEnded = false;
        for (std::size_t i = 0; i < arguments_.size(); ++i) {
            const std::string& argument = arguments_[i];
            if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
                operands.push_back(argument);
                continue;
            }
            if (argument == "--") {
                optionsEnded = true;
                continue;
            }
            std::string name = argument;
            std::optional<std::string> value;
            if (const auto equals = argument.find('='); argument.rfind("--", 0) == 0 && equals != std::string::npos) {
                name = argument.substr(0, equals);
                value = argument.substr(equals + 1);
            }
            if (auto flag = flags_.find(name); flag != flags_.end()) {
                if (value)
                    throw UsageError("option " + name + " takes no value");
                flag->second();
            } else if (auto valued = valued_.find(name); valued != valued_.end()) {
                if (!value) {
                    if (i + 1 >= arguments_.size())
                        throw UsageError("option " + name + " needs a value");
                    value = arguments_[++i];
                }
                valued->second(*value);
            } else {
                throw UsageError("unknown option " + name);
            }
        }
        return operands;
    }

private:
    const std::vector<std::string>& arguments_;
    std::map<std::string, std::function<void()>> flags_;
    std::map<std::string, Handler> valued_;
};

int32_t ImageSideValue(const std::string& option, const std::string& text)
{
    const auto value = ParseIntegerText(text);
    if (!value || *value < 1 || *value > MaximumImageSide)
        throw UsageError(option + " takes an image side from 1 to " + std::to_string(MaximumImageSide) +
                         ", not \"" + text + "\"");
    return *value;
}

// The options that render and gallery share, with the same meaning.
void AddRenderingOptions(ArgumentWalker& walker, RenderOptions& options)
{
    walker.Valued({"-o", "--output"}, [&](const std::string& v) {
        if (v.empty())
            throw UsageError("--output needs a folder");
        options.OutputDirectory = v;
    });
    walker.Valued({"-a", "--archive"}, [&](const std::string& v) {
        if (v.empty())
            throw UsageError("--archive needs a file");
        options.Archive = v;
    });
    walker.Flag({"--builtin-tileset"}, [&] { options.BuiltinTileset = true; });
    walker.Valued({"--size"}, [&](const std::string& v) {
        const int32_t side = ImageSideValue("--size", v);
        for (auto& size : options.ImageSizes)
            size = side;
    });
    const char* const sizeOptions[] = {"--size32", "--size64", "--size96", "--size128"};
    for (std::size_t index = 0; index < 4; ++index) {
        const std::string name = sizeOptions[index];
        walker.Valued({name}, [&options, index, name](const std::string& v) {
            options.ImageSizes[index] = ImageSideValue(name, v);
        });
    }
    walker.Flag({"--units"}, [&] { options.Units = true; });
    walker.Flag({"--no-units"}, [&] { options.Units = false; });
    walker.Valued({"-j", "--jobs"}, [&](const std::string& v) {
        const auto jobs = ParseIntegerText(v);
        if (!jobs || *jobs < 1 || *jobs > 1024)
            throw UsageError("--jobs takes a number from 1 to 1024, not \"" + v + "\"");
        options.Jobs = *jobs;
    });
    walker.Valued({"--settings"}, [&](const std::string& v) { options.SettingsFile = v; });
    walker.Flag({"--no-settings"}, [&] { options.NoSettings = true; });
    walker.Flag({"--no-cache"}, [&] { options.NoCache = true; });
    walker.Flag({"-q", "--quiet"}, [&] { options.Quiet = true; });
    walker.Flag({"--update"}, [&] { options.Update = true; });
}

void CheckRenderingOptions(const RenderOptions& options, const char* command)
{
    if (options.SettingsFile && options.NoSettings)
        throw UsageError("--settings and --no-settings exclude each other");
    if (options.Archive && options.BuiltinTileset)
        throw UsageError("--archive and --builtin-tileset exclude each other");
    if (options.Paths.empty())
        throw UsageError(std::string(command) + " needs at least one scenario file or folder");
}

}  // namespace

std::variant<RenderOptions, HelpRequest> ParseRenderOptions(const std::vector<std::string>& arguments)
{
    RenderOptions options;
    bool help = false;
    ArgumentWalker walker(arguments);
    walker.Flag({"-h", "--help"}, [&] { help = true; });
    AddRenderingOptions(walker, options);
    walker.Valued({"-f", "--format"}, [&](const std::string& v) {
        if (v == "bmp")
            options.Format = ImageFormat::Bmp;
        else if (v == "png")
            options.Format = ImageFormat::Png;
        else
            throw UsageError("--format takes bmp or png, not \"" + v + "\"");
    });
    options.Paths = walker.Run();
    if (help)
        return HelpRequest{RenderUsage};
    CheckRenderingOptions(options, "render");
    return options;
}

std::variant<GalleryOptions, HelpRequest> ParseGalleryOptions(const std::vector<std::string>& arguments)
{
    GalleryOptions gallery;
    RenderOptions& options = gallery.Render;
    options.Format = ImageFormat::Png;
    options.OutputDirectory.clear();
    bool help = false;
    ArgumentWalker walker(arguments);
    walker.Flag({"-h", "--help"}, [&] { help = true; });
    AddRenderingOptions(walker, options);
    walker.Valued({"--title"}, [&](const std::string& v) { gallery.Title = v; });
    options.Paths = walker.Run();
    if (help)
        return HelpRequest{GalleryUsage};
    CheckRenderingOptions(options, "gallery");
    if (options.OutputDirectory.empty())
        throw UsageError("gallery needs an output folder: -o DIR");
    // One size for every card unless the command line says otherwise.
    for (auto& size : options.ImageSizes)
        if (!size)
            size = GalleryImageSide;
    return gallery;
}

std::variant<InfoOptions, HelpRequest> ParseInfoOptions(const std::vector<std::string>& arguments)
{
    InfoOptions options;
    bool help = false;
    ArgumentWalker walker(arguments);
    walker.Flag({"-h", "--help"}, [&] { help = true; });
    walker.Flag({"--json"}, [&] { options.Json = true; });
    walker.Flag({"-l", "--long"}, [&] { options.Detailed = true; });
    walker.Flag({"-s", "--short"}, [&] { options.Detailed = false; });
    walker.Flag({"--builtin-tileset"}, [&] { options.BuiltinTileset = true; });
    options.Paths = walker.Run();
    if (help)
        return HelpRequest{InfoUsage};
    if (options.Paths.empty())
        throw UsageError("info needs at least one scenario file or folder");
    return options;
}

std::variant<DemoOptions, HelpRequest> ParseDemoOptions(const std::vector<std::string>& arguments)
{
    bool help = false;
    ArgumentWalker walker(arguments);
    walker.Flag({"-h", "--help"}, [&] { help = true; });
    const auto operands = walker.Run();
    if (help)
        return HelpRequest{DemoUsage};
    if (operands.size() != 1)
        throw UsageError("demo needs exactly one folder");
    return DemoOptions{operands.front()};
}

}  // namespace tessel::cli
