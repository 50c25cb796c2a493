// make-sample: a complete synthetic game installation in a Wine-prefix-shaped
// folder, for trying the editor and the other commands without the game.
#include "Cli.h"
#include "startup/SampleInstallation.h"

namespace jf::cli {
namespace {

int makeSample(const Args& args) {
    if (args.size() != 1 || args[0].empty()) {
        return usage();
    }
    std::string gameFolder;
    if (!makeSampleInstallation(args[0], &gameFolder)) {
        return fail("Cannot make the sample installation in " + args[0]);
    }
    printJson({{"prefix", latin1(args[0])},
               {"gameDataFolder", latin1(gameFolder)},
               {"registryDataFolder", latin1(kSampleGameFolder)},
               {"installedPacks", kSampleInstalledPacks},
               {"tracks", kSampleTrackCount}});
    return kExitOk;
}

Registrar reg{{"", "make-sample", "DIR", makeSample,
               "Makes a sample game installation to try the commands on",
               "Creates a Wine-prefix-shaped folder DIR (system.reg, dosdevices/c:, drive_c)\n"
               "with an invented game installation: 14 career tracks with texts in all 20\n"
               "languages, chance cards, and the icon strips only in UIGraphics.far. With\n"
               "WINEPREFIX=DIR the commands taking [GAMEDIR] find it."}};

}  // namespace
}  // namespace jf::cli
