#pragma once

#include "Support/Date.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

// Helpers shared by the libFuzzer targets.
namespace quorvel::fuzzing {

// 2026-03-01T09:30:00Z: the readers' `now` in every target.
inline constexpr Date now{794050200};

inline std::string_view bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Ends the run when a property does not hold, so that libFuzzer keeps the input as a crash.
void require(bool condition, const char* property);

// An empty folder of this process (under TMPDIR), emptied again on every call and removed at exit.
const std::filesystem::path& emptyScratchFolder();

} // namespace quorvel::fuzzing
