// quillan_split_bench split <archive> <folder> <pieces>  - cut an archive into that many pieces
// quillan_split_bench join <folder> <template> <target>   - join them as the download's reassembly does
#include "scripts/TplTemplate.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::cerr << "usage: quillan_split_bench split|join <arguments>\n";
        return 2;
    }
    const std::string mode = argv[1];
    try {
        namespace tpl = quillan::tpl;
        if (mode == "split") {
            const auto size = std::filesystem::file_size(argv[2]);
            const auto pieces = std::stoull(argv[4]);
            const auto pieceSize = static_cast<std::uint32_t>((size + pieces - 1) / pieces);
            const std::filesystem::path archive = argv[2];
            tpl::splitPackage(archive, argv[3], "Package.tpl", "D:\\Release\\" + archive.filename().string(),
                              pieceSize);
            return 0;
        }
        if (mode == "join") {
            const std::filesystem::path folder = argv[2];
            tpl::joinPieces(tpl::readTemplate(folder / argv[3]), folder, argv[4]);
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cerr << "unknown mode " << mode << '\n';
    return 2;
}
