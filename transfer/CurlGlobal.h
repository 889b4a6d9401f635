#pragma once
// libcurl's process-wide initialisation, done once before the first handle is made.
namespace quillan::transfer {
void ensureCurlInitialised();
} // namespace quillan::transfer
