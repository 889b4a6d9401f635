#include "console/DriveScan.h"

#include <exception>

namespace quillan {

namespace {
DriveInfo info(const FixedDrive& d) {
    return DriveInfo{std::string(1, d.letter), freeGigabytes(d.freeBytes)};
}
} // namespace

int FindInsDiskSize(Console& c, const DriveScanner& scan) {
    int answer = 0;
    try {
        const auto drives = scan(c.paths);
        const char first = c.state.appPath.empty() ? '\0' : c.state.appPath.front();
        for (std::size_t k = 0; k < drives.size(); ++k) {
            c.state.driveList.resize(k + 1); // grown per drive, earlier entries kept
            if (drives[k].letter == first) {
                c.state.driveList[k] = info(drives[k]);
                answer = static_cast<int>(k);
            }
        }
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In FindInsDiskSize");
    }
    return answer;
}

int FindDiskSize(Console& c, const DriveScanner& scan) {
    int answer = 0;
    try {
        const auto drives = scan(c.paths);
        for (std::size_t k = 0; k < drives.size(); ++k) {
            c.state.driveList.resize(k + 1);
            c.state.driveList[k] = info(drives[k]);
        }
        double best = 0;
        for (std::size_t k = 0; k < c.state.driveList.size(); ++k) {
            if (c.state.driveList[k].freeGB > best) { // strictly greater: the first of equal maxima wins
                best = c.state.driveList[k].freeGB;
                answer = static_cast<int>(k);
            }
        }
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In FindDiskSize");
    }
    return answer;
}

} // namespace quillan
