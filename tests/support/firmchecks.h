#pragma once

namespace velmora::test {

// The rows of a data-driven test that every reference of a firm resolves: the column
// "orphans" holds a query that counts the rows whose reference leads nowhere.
void addOrphanQueries();

} // namespace velmora::test
