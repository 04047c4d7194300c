#include "data/database.h"
#include "data/dates.h"
#include "data/money.h"
#include "data/schema.h"
#include "data/sql.h"
#include "testdatabase.h"

#include <QSqlQuery>
#include <QTest>

#include <utility>

using velmora::test::TestDatabase;

namespace {

// The plan SQLite chooses for `sql` with `values` bound, its details run together.
QString plan(QSqlDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db);
    if (!velmora::run(query, QStringLiteral("EXPLAIN QUERY PLAN ") + sql, values))
        return QStringLiteral("no plan");
    QString details;
    while (query.next())
        details += query.value(3).toString() + QLatin1Char(';');
    return details;
}

QStringList columnsOf(QSqlDatabase& db, const QString& table)
{
    QSqlQuery query(db);
    query.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    QStringList names;
    while (query.next())
        names << query.value(1).toString().toLower();
    return names;
}

} // namespace

class TestSchema : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyTableAndColumn_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        const auto row = [](const char* table, const char* columns) {
            QTest::newRow(table) << QString::fromLatin1(table)
                                 << QString::fromLatin1(columns).split(QLatin1Char(' '));
        };
        row("jobs", "job_prefix job_id date time time_text passenger_name address_from "
                    "address_to account_no driver passengers payment_type invoiced "
                    "vehicle_type special_instructions record_status invoice_no acc_ref "
                    "costed_code std_job driver_percentage calculated");
        row("costs", "job_prefix jobnumber costtype income_expence description gross_cost "
                     "discount discount_value net_cost vat vat_value logical_delete");
        row("credit_notes", "credit_note_no job_no job_prefix account_no refund_reason "
                            "refund_amount_gross refund_amount_discount refund_amount_vat "
                            "refund_amount_net refund_date processed");
        row("accounts", "account_id address_id account_name nickname contact_name "
                        "account_balance invoice_type account_ref cost_code");
        row("addresses", "address_id address_line1 address_line2 address_line3 address_town "
                         "address_county address_postcode1 address_postcode2 address_phone1 "
                         "address_phone2 address_phone3 address_type");
        row("address_types", "addresstypeid addresstype");
        row("drivers", "driver_id address_id driver_name contact_name licence_number "
                       "self_employed barred driver_percentage");
        row("vehicles", "reg_no vehicle_type driver_id first_reg policy driver_owned road_tax "
                        "plated insurance capacity");
        row("vehicle_types", "vehicletypeid vehicledescription");
        row("payment_types", "paymenttypeid paymentdescription");
        row("receipt_types", "receipttypeid paymenttype");
        row("company", "company_id company_name company_heading company_addr1 company_addr2 "
                       "company_town company_county company_postcode1 company_postcode2 "
                       "company_tel1 company_tel2 company_tel3 company_mobile1 company_mobile2 "
                       "company_e_mail company_registration company_vat");
        row("passwords", "user_name password security_level");
        row("invoice_header", "invoice_no date account_no company_id gross_value "
                              "discount_value vat_value net_value credit_note_value "
                              "discount_allowed printed invoice_type date_paid amount_paid");
        row("invoice_line", "seq invoice_no job_id job_prefix details line_cost_excl_vat "
                            "line_cost_vat line_cost_discount line_cost_net credit_note_value "
                            "invoice_printed");
        row("invoice_numbers", "invoice_number");
        row("invoice_prints", "invoice_copies driver_sheet_copies");
        row("invoice_temp", "invoice_no");
        row("receipts", "account_no invoice_number invoice_net_cost date_raised "
                        "amount_received date_received");
        row("account_print", "account_id account_name address_line1 address_line2 "
                             "address_line3 town county postcode1 postcode2 contact_name "
                             "phone1 account_balance invoice_no date net_cost vat_cost "
                             "gross_cost date_received amount_received");
        row("driver_wages", "driver_id job_id job_net_cost driver_percentage driver_payment "
                            "reported");
        row("profitability", "company_name start_date end_date job_count total_receipts "
                             "total_costs profit_loss");
        row("operational_cost", "opcost_id opcost_gross opcost_date opcost_description");
        QTest::newRow("jobboard") << QStringLiteral("jobboard")
                                  << QStringList{QStringLiteral("customer name")};
    }
    void everyTableAndColumn()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        TestDatabase t;
        const QStringList actual = columnsOf(t.db(), table);
        for (const QString& column : columns)
            QVERIFY2(actual.contains(column), qPrintable(table + QLatin1Char('.') + column));
    }

    void namesAndTextIgnoreCase()
    {
        TestDatabase t;
        t.exec(QStringLiteral("INSERT INTO COSTS (Job_Prefix, JOBNUMBER, costtype, "
                              "Income_Expence, Net_cost) VALUES ('A', 1, 1, 'I', 500)"));
        QCOMPARE(t.value(QStringLiteral("select net_cost from costs where income_expence = 'i'"))
                     .toInt(),
                 500);
        t.exec(QStringLiteral("insert into vehicles (Reg_No) values (?)"), {"AB12 CDE"});
        QCOMPARE(
            t.value(QStringLiteral("select count(*) from Vehicles where reg_no = ?"), {"ab12 cde"})
                .toInt(),
            1);
        t.addJob(QStringLiteral("A"), QDate(2026, 1, 5), QStringLiteral("09:00:00"),
                 QStringLiteral("SMITH"), QStringLiteral("I"), t.addVehicleType("Saloon Car"));
        QCOMPARE(
            t.value(QStringLiteral("select count(*) from jobs where passenger_name = ?"), {"Smith"})
                .toInt(),
            1);
        QCOMPARE(t.value(QStringLiteral("select count(*) from jobs where passenger_name like ?"),
                         {"smi%"})
                     .toInt(),
                 1);
        t.exec(QStringLiteral("insert into jobboard ([Customer Name]) values (?)"), {"Mr Patel"});
        QCOMPARE(t.value(QStringLiteral("Select [Customer Name] from jobboard")).toString(),
                 QStringLiteral("Mr Patel"));
    }

    void defaultsHoldOnInsert()
    {
        TestDatabase t;
        const int job = t.addJob(QStringLiteral("A"), QDate(2026, 1, 5), QStringLiteral("09:00:00"),
                                 QStringLiteral("Jones"), QStringLiteral("I"), 1);
        QCOMPARE(t.value(QStringLiteral("select calculated from jobs where job_id = ?"), {job})
                     .toString(),
                 QStringLiteral("N"));
        t.exec(QStringLiteral("insert into driver_wages (driver_id, job_id) values (1, ?)"), {job});
        QCOMPARE(t.value(QStringLiteral("select Reported from driver_wages")).toString(),
                 QStringLiteral("N"));
        t.exec(QStringLiteral("insert into invoice_header (invoice_no, account_no) values (1, 1)"));
        QCOMPARE(t.value(QStringLiteral("select amount_paid from invoice_header")).toInt(), 0);
        QCOMPARE(t.value(QStringLiteral("select printed from invoice_header")).toString(),
                 QStringLiteral("N"));
        QCOMPARE(t.value(QStringLiteral("select count(*) from invoice_prints where "
                                        "invoice_copies = 1 and driver_sheet_copies = 1"))
                     .toInt(),
                 1);
    }

    void jobNumbersRunOverEveryPrefix()
    {
        TestDatabase t;
        const auto add = [&t](const char* prefix) {
            return t.addJob(QString::fromLatin1(prefix), QDate(2026, 1, 5),
                            QStringLiteral("09:00:00"), QStringLiteral("X"), QStringLiteral("I"),
                            1);
        };
        QCOMPARE(add("A"), 1);
        QCOMPARE(add("B"), 2);
        QCOMPARE(add("A"), 3);
        // Removing the newest job does not give its number out again.
        t.exec(QStringLiteral("delete from jobs where job_id = 3"));
        QCOMPARE(add("A"), 4);
        // A job brought with its own number moves the counter past it.
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id) values ('C', 40000)"));
        QCOMPARE(add("A"), 40001);
    }

    void prefixAndNumberNameOneJob()
    {
        TestDatabase t;
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id) values ('A', 7)"));
        t.exec(QStringLiteral("insert into jobs (job_prefix, job_id) values ('B', 7)"));
        QSqlQuery query(t.db());
        QVERIFY(!velmora::run(
            query, QStringLiteral("insert into jobs (job_prefix, job_id) values (?, 7)"), {"a"}));
    }

    void moneyBeyondDoublePrecision()
    {
        TestDatabase t;
        const auto amount = velmora::Money::fromStored((qint64(1) << 53) + 1);
        t.exec(QStringLiteral("insert into operational_cost (opcost_gross) values (?)"),
               {amount.toVariant()});
        QCOMPARE(velmora::Money::fromVariant(
                     t.value(QStringLiteral("select opcost_gross from operational_cost"))),
                 amount);
    }

    void boardQueryUsesThePartialIndex()
    {
        TestDatabase t;
        const QString details = plan(t.db(), QStringLiteral("SELECT job_id FROM jobs WHERE "
                                                            "record_status <> 'C' ORDER BY date, "
                                                            "time"));
        QVERIFY2(details.contains(QLatin1String("jobs_board")), qPrintable(details));
    }

    void patternsWithAFixedStartUseTheIndexes()
    {
        TestDatabase t;
        const std::pair<const char*, const char*> columns[] = {{"passenger_name", "jobs_passenger"},
                                                               {"address_from", "jobs_from"},
                                                               {"address_to", "jobs_to"}};
        for (const auto& [column, index] : columns) {
            const QString details =
                plan(t.db(),
                     QStringLiteral("select job_id from jobs where %1 like ? escape '\\'")
                         .arg(QLatin1String(column)),
                     {QStringLiteral("stat%")});
            QVERIFY2(details.contains(QLatin1String(index)), qPrintable(details));
        }
    }

    void versionOneFileIsUpgradedWhenOpened()
    {
        TestDatabase t;
        const int job = t.addJob(QStringLiteral("A"), QDate(2026, 1, 5), QStringLiteral("09:00:00"),
                                 QStringLiteral("Jones"), QStringLiteral("I"),
                                 t.addVehicleType(QStringLiteral("Saloon Car")));
        // The file as a build that knew only the first migration wrote it, changed on a
        // connection without the audit trail's triggers.
        for (const QString& trigger :
             t.rows(QStringLiteral("select name from sqlite_temp_master where type = 'trigger'")))
            t.exec(QStringLiteral("DROP TRIGGER temp.\"%1\"").arg(trigger));
        t.exec(QStringLiteral("DROP TABLE audit_trail"));
        for (const char* column : {"badge_expiry", "licence_expiry", "dbs_expiry"})
            t.exec(QStringLiteral("ALTER TABLE drivers DROP COLUMN %1").arg(QLatin1String(column)));
        t.exec(QStringLiteral("ALTER TABLE company DROP COLUMN expiry_warning_days"));
        t.exec(QStringLiteral("DROP INDEX jobs_from"));
        t.exec(QStringLiteral("DROP INDEX jobs_to"));
        for (const char* later :
             {"jobs_to_invoice", "invoice_header_unprinted", "invoice_line_unprinted"})
            t.exec(QStringLiteral("DROP INDEX ") + QLatin1String(later));
        for (const char* trigger : {"jobs_text_insert", "jobs_text_delete", "jobs_text_update"})
            t.exec(QStringLiteral("DROP TRIGGER %1").arg(QLatin1String(trigger)));
        t.exec(QStringLiteral("DROP TABLE jobs_text"));
        for (const char* column :
             {"vat_rate", "vat_rate_from", "previous_vat_rate", "payment_terms", "bank_name",
              "bank_account_name", "bank_sort_code", "bank_account_number", "invoice_footer"})
            t.exec(QStringLiteral("ALTER TABLE company DROP COLUMN %1").arg(QLatin1String(column)));
        t.exec(QStringLiteral("DROP TABLE profit_and_loss"));
        t.exec(QStringLiteral("DROP TABLE vat_return"));
        t.exec(QStringLiteral("DROP TRIGGER jobs_number_given"));
        t.exec(QStringLiteral("ALTER TABLE accounts DROP COLUMN removed_invoiced"));
        t.exec(QStringLiteral("ALTER TABLE account_print DROP COLUMN brought_forward"));
        for (const char* column : {"smtp_host", "smtp_port", "smtp_security", "smtp_user",
                                   "mail_from_address", "mail_from_name"})
            t.exec(QStringLiteral("ALTER TABLE company DROP COLUMN %1").arg(QLatin1String(column)));
        t.exec(QStringLiteral("ALTER TABLE accounts DROP COLUMN invoice_email"));
        for (const char* column : {"emailed_at", "emailed_to", "email_begun_at"})
            t.exec(QStringLiteral("ALTER TABLE invoice_header DROP COLUMN %1")
                       .arg(QLatin1String(column)));
        t.exec(QStringLiteral("DROP TABLE statement_email"));
        for (const char* table : {"jobs", "accounts", "drivers", "vehicles"}) {
            for (const char* column : {"row_version", "row_changed_at"})
                t.exec(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2")
                           .arg(QLatin1String(table), QLatin1String(column)));
        }
        // As a transfer file's import stored it, padding and all.
        t.exec(QStringLiteral("update jobs set passenger_name = 'Jones  ' || char(0), "
                              "invoiced = 'N  ', calculated = ' '"));
        t.exec(QStringLiteral("PRAGMA user_version = 1"));
        {
            QString error;
            QSqlDatabase db = velmora::openDatabase(t.path(), QStringLiteral("upgraded"), &error);
            QVERIFY2(db.isValid(), qPrintable(error));
            QSqlQuery query(db);
            QVERIFY(query.exec(QStringLiteral("PRAGMA user_version")) && query.next());
            QCOMPARE(query.value(0).toInt(), velmora::currentSchemaVersion());
            QVERIFY(query.exec(QStringLiteral("select count(*) from sqlite_master where "
                                              "type = 'index' and name in ('jobs_from', "
                                              "'jobs_to')")) &&
                    query.next());
            QCOMPARE(query.value(0).toInt(), 2);
            QVERIFY(velmora::run(query,
                                 QStringLiteral("select passenger_name from jobs where job_id = ?"),
                                 {job}) &&
                    query.next());
            QCOMPARE(query.value(0).toString(), QStringLiteral("Jones"));
            QVERIFY(velmora::run(query,
                                 QStringLiteral("select invoiced || calculated from jobs "
                                                "where job_id = ?"),
                                 {job}) &&
                    query.next());
            QCOMPARE(query.value(0).toString(), QStringLiteral("NN"));
            // The text index is built for the jobs already there, and the planner has
            // statistics.
            QVERIFY(velmora::run(query, QStringLiteral("select count(*) from jobs_text where "
                                                       "passenger_name like '%one%'")) &&
                    query.next());
            QCOMPARE(query.value(0).toInt(), 1);
            QVERIFY(query.exec(QStringLiteral("select count(*) from sqlite_stat1")) &&
                    query.next());
        }
        QSqlDatabase::removeDatabase(QStringLiteral("upgraded"));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "test_schema.moc"
