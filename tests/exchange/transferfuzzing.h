#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora::test {

// Feeds one fuzzing input to the transfer readers and routines on a database in memory:
// the first byte chooses the jobs, costs or accounts layout, the rest is the file. Traps
// when a routine's counts do not add up to the file's records.
void fuzzTransferInput(const std::uint8_t* data, std::size_t size);

} // namespace velmora::test
