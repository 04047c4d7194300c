#pragma once

#include "harness.h"

#include <vector>

namespace velmora::bench {

// Every case, in the order they are reported (cases.cpp). A case is a setup function in
// a file of its own and one line in the list.
const std::vector<Case>& cases();

// load_board: the board of outstanding jobs (boardcase.cpp).
std::optional<Timed> setUpLoadBoard(Fixture& fixture, QString* error);

} // namespace velmora::bench
