#pragma once
// A file size as the listing shows it: "532 bytes", "1.45 KB", "14.5 KB", "145 KB", "0.97 MB".
#include <cstdint>
#include <string>

namespace quillan::transfer {
std::string byteSizeText(std::uint64_t bytes);
} // namespace quillan::transfer
