#include "base/Machine.h"

namespace quillan {

Machine Machine::real() {
    Machine m;
    m.scanDrives = [](const PathMap& map) { return scanFixedDrives(map); };
    m.computerName = [] { return quillan::computerName(); };
    m.systemDrive = [] { return systemDriveText(); };
    m.openConnection = [](const std::string& cs, const std::filesystem::path& dir) {
        return db::openConnection(cs, dir);
    };
    return m;
}

} // namespace quillan
