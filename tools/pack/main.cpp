// swfsaver-pack: packages a Flash movie into a screen saver, or shows what a saver carries.
#include "tools/pack/package_report.h"
#include "tools/pack/pack_options.h"
#include "tools/pack/packager.h"

#include <cstdio>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    try {
        const pack::Options options = pack::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << pack::kHelpText;
            return 0;
        }
        if (!options.inspectPath.empty()) {
            pack::PrintPackageReport(options.inspectPath, std::cout);
            return 0;
        }
        pack::WriteFileAtomically(options.outputPath, pack::BuildSaver(options));
        return 0;
    } catch (const pack::UsageError& error) {
        std::cerr << "swfsaver-pack: " << error.what() << "\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "swfsaver-pack: " << error.what() << "\n";
        return 1;
    }
}
