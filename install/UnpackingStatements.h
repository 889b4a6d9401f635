#pragma once
// The statements of the unpacking phase: which packages to unpack, which plain files to date, and
// the date record itself.
#include "platform/DateTime.h"

#include <string>

namespace quillan {

// After split packages were joined: the rebuilt packages and the packages that were not split, in
// release order.
std::string joinedPackagesQuery(const std::string& dbPrefix);
// The downloaded ZIP packages of ordinary rows, in release order.
std::string unpackPackagesQuery(const std::string& dbPrefix);
// The release's plain files (neither ZIP nor TPL), in release order.
std::string plainFilesQuery(const std::string& dbPrefix);
// Records the last-write time of an unpacked file, read back later as a date by the pending check.
std::string unzipTimeUpdate(const std::string& dbPrefix, const DateTime& lastWrite,
                            const std::string& fileName);
// The dates of a release's files are recorded in one transaction: one commit (one journal sync)
// for the whole release rather than one per file.
std::string datingBegin();
std::string datingCommit();

} // namespace quillan
