#pragma once

#include "testdatabase.h"

#include <QList>

namespace velmora::test {

// Invoicing rows written straight into a test database. Amounts are in pence.

// An account with an address row (unless `withAddress` is false); returns its id.
qint64 addAccount(TestDatabase& t, const QString& name, qint64 balancePence = 0,
                  bool withAddress = true);
// An invoice of `account` raised at `stamp` ("yyyy-MM-dd HH:mm:ss") with a line for each
// job of `jobs`: `gross` before VAT, `vat`, and `net` the total payable.
void addInvoice(TestDatabase& t, qint64 number, qint64 account, const QString& stamp,
                qint64 grossPence, qint64 vatPence, qint64 netPence,
                const QList<qint64>& jobs = {});
// A payment of `pence` received on `date` against `invoice` (its amount_paid unchanged).
void addReceipt(TestDatabase& t, qint64 account, qint64 invoice, qint64 pence, const QString& date);

} // namespace velmora::test
