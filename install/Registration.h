#pragma once
// The component registration (checklist row 12): for each component of the release (RegRequired 1)
// the old copy is unregistered, the new copy copied in and the component registered again, either
// by the registration tool as a separate process ('AutoConfig1' Status 1) or through the
// component's own entry points (any other Status). No switch row skips the step.
#include "base/Console.h"

#include <chrono>

namespace quillan {

// How long the registration tool may run: it may wait for its confirmation box, which nobody
// answers in an unattended run.
struct RegistrationLimits {
    std::chrono::milliseconds attendedToolTimeout{std::chrono::minutes(30)};
    std::chrono::milliseconds unattendedToolTimeout{std::chrono::minutes(2)};
};

// True when the run goes on (completedPhase 12). A registration that fails (a non-zero exit code
// or entry-point answer, a tool that cannot be run) is logged and sets runFailed; the run goes on.
// A new copy that cannot be put in place registers the old copy again, fails the row and closes
// the run through RollBack, whose undo puts back what was replaced (false).
bool RegisterComponents(Console& c, const RegistrationLimits& limits = {});

} // namespace quillan
