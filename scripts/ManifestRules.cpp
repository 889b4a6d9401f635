#include "scripts/ManifestRules.h"

#include "trust/UtcTime.h"

namespace quillan {

namespace {

std::string audienceText(const std::string& distributor) {
    return distributor == trust::kEveryDistributor ? std::string("every distributor")
                                                   : "distributor " + distributor;
}

bool meantFor(const trust::Manifest& m, const ManifestRules& r) {
    const bool forEveryOne = m.distributor == trust::kEveryDistributor;
    const bool forThisOne = m.distributor == r.distributorCode;
    switch (r.audience) {
    case ManifestAudience::EveryDistributor:
        return forEveryOne;
    case ManifestAudience::ThisDistributor:
        return forThisOne;
    case ManifestAudience::EitherOne:
        return forEveryOne || forThisOne;
    }
    return false;
}

} // namespace

std::string whyRefuseManifest(const trust::Manifest& m, const ManifestRules& r) {
    if (!meantFor(m, r)) {
        const std::string expected = r.audience == ManifestAudience::EveryDistributor ? "every distributor"
                                     : r.audience == ManifestAudience::ThisDistributor
                                         ? r.distributorCode
                                         : r.distributorCode + " or every distributor";
        return "its manifest is for " + audienceText(m.distributor) + ", not for " + expected;
    }
    if (trust::nowUtc() >= m.expires)
        return "its manifest expired on " + trust::formatUtc(m.expires) +
               " (the office signs a release again before then)";
    if (r.appliedReleaseAgain && m.version < r.newestApplied)
        return "it is release " + std::to_string(m.version) + ", older than release " +
               std::to_string(r.newestApplied) + " already applied";
    if (!r.appliedReleaseAgain && m.version <= r.newestApplied)
        return "it is release " + std::to_string(m.version) + ", not newer than release " +
               std::to_string(r.newestApplied) + " already applied";
    return {};
}

} // namespace quillan
