#pragma once
// How long a transfer may wait before it is given up, so that no download can hang for ever.
// Defaults are documented in docs/transfer.md; the environment may override them
// (QUILLAN_CONNECT_TIMEOUT, QUILLAN_STALL_SECONDS, QUILLAN_STALL_BYTES_PER_SECOND).
namespace quillan::transfer {

struct TransferLimits {
    long connectTimeoutSeconds = 30; // name lookup + TCP connect (+ FTP login reply)
    long stallSeconds = 60;          // abort when the speed stays below the floor this long
    long stallBytesPerSecond = 16;   // the speed floor

    // The defaults, with any environment overrides applied.
    static TransferLimits current();
};

} // namespace quillan::transfer
