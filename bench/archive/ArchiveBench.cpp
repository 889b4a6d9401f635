// quillan_archive_bench unzip <archive> <folder>   - flat extraction as the unpacking phase does it
// quillan_archive_bench zip <archive> <file>...    - a new archive of bare names, as the backup does
// quillan_archive_bench copy <from> <to>           - the LAN package copy
#include "archive/Unzip.h"
#include "archive/Zip.h"
#include "transfer/FileCopy.h"

#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: quillan_archive_bench unzip|zip|copy <arguments>\n";
        return 2;
    }
    const std::string mode = argv[1];
    try {
        if (mode == "unzip") {
            quillan::cUnzip u;
            u.ZipFile(argv[2]);
            u.OverwriteExisting(true);
            u.UnzipFolder(argv[3]);
            u.UseFolderNames(false);
            return u.Unzip() ? 0 : 1;
        }
        if (mode == "zip") {
            quillan::cZip z;
            z.ZipFile(argv[2]);
            z.AllowAppend(false);
            z.StoreFolderNames(false);
            z.StoreDirectories(false);
            for (int i = 3; i < argc; ++i)
                z.AddFileSpec(argv[i]);
            return z.Zip();
        }
        if (mode == "copy") {
            quillan::transfer::copyFileAtomically(argv[2], argv[3], [](std::uint64_t, std::uint64_t) {});
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    std::cerr << "unknown mode " << mode << '\n';
    return 2;
}
