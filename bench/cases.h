#pragma once

#include "harness.h"

#include <vector>

namespace velmora::bench {

// Every case, in the order they are reported (cases.cpp). A case is a setup function in
// a file of its own (the searches share one) and one line in the list.
const std::vector<Case>& cases();

// load_board: the board of outstanding jobs (boardcase.cpp).
std::optional<Timed> setUpLoadBoard(Fixture& fixture, QString* error);
// load_job: a job with three receipt and three payment lines (loadjobcase.cpp).
std::optional<Timed> setUpLoadJob(Fixture& fixture, QString* error);
// save_receipts: seven receipt lines saved over the same job's (savelinescase.cpp).
std::optional<Timed> setUpSaveReceipts(Fixture& fixture, QString* error);
// open_job_screen: the job screen's lists of drivers, accounts and types
// (openscreencase.cpp).
std::optional<Timed> setUpOpenJobScreen(Fixture& fixture, QString* error);
// search_*: the job search by one criterion, or none, and its first batch of rows
// (searchcases.cpp).
std::optional<Timed> setUpSearchCustomer(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchPattern(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchContains(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchDate(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchDriver(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchAccount(Fixture& fixture, QString* error);
std::optional<Timed> setUpSearchAll(Fixture& fixture, QString* error);

} // namespace velmora::bench
