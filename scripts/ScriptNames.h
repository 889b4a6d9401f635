#pragma once
// The naming rule of deploy-script files. A name is split at "_": a master script begins with the
// kind "SETUPDETAILS", a transaction script with this distributor's code followed by that kind.
// What follows the kind is free (a date, a number), so a name may have more parts.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillan {

enum class ScriptFamily { Master, Transaction };

// The parts of a name between the "_" (a name without "_" is one part).
std::vector<std::string> scriptNameParts(const std::string& name);

// True when a listed name belongs to the family: master "SETUPDETAILS_..." (any case),
// transaction "<distributorCode>_SETUPDETAILS..." (the code exact, the kind in any case).
bool isScriptOfFamily(const std::string& name, ScriptFamily family, const std::string& distributorCode);

// The kind a script file carries, asking `seqNoOfKind` (the DEPLOY_FILENAMES lookup) for a part:
// the first part of a name of one or two parts; of a longer name the first part when it names a
// kind (a master script such as "SETUPDETAILS_2024_01.xml"), else the second (a transaction
// script). Empty when no part asked for names a kind.
std::optional<std::int64_t>
scriptKindOrder(const std::string& name,
                const std::function<std::optional<std::int64_t>(const std::string&)>& seqNoOfKind);

} // namespace quillan
