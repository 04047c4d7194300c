#pragma once

#include "testdatabase.h"

#include <QDate>

namespace velmora::test {

// Fills `db` with the small firm the report tests read: the company, three accounts with
// invoices of every age (one paid in full), three drivers, three vehicles with renewal
// dates on both sides of `today`, five jobs with receipt and payment lines, and the name
// on the paging board. The figures each report must show are in the tests.
void addReportFirm(TestDatabase& db, QDate today);

} // namespace velmora::test
