#include "columnwidths.h"

#include <QObject>

namespace velmora {

const QList<ColumnWidth>& columnWidths()
{
    static const QList<ColumnWidth> widths = {
        {"jobs", "job_prefix", 1},
        {"jobs", "time", 8},
        {"jobs", "time_text", 10},
        {"jobs", "passenger_name", 50},
        {"jobs", "address_from", 80},
        {"jobs", "address_to", 80},
        {"jobs", "invoiced", 3},
        {"jobs", "special_instructions", 250},
        {"jobs", "record_status", 1},
        {"jobs", "acc_ref", 10},
        {"jobs", "costed_code", 10},
        {"jobs", "driver_percentage", 1},
        {"jobs", "calculated", 1},

        {"costs", "job_prefix", 1},
        {"costs", "income_expence", 1},
        {"costs", "description", 40},
        {"costs", "vat", 1},
        {"costs", "logical_delete", 1},

        {"credit_notes", "job_prefix", 1},
        {"credit_notes", "refund_reason", 40},
        {"credit_notes", "processed", 1},

        {"accounts", "account_name", 40},
        {"accounts", "nickname", 20},
        {"accounts", "invoice_email", 254},
        {"accounts", "contact_name", 50},
        {"accounts", "invoice_type", 1},
        {"accounts", "account_ref", 10},
        {"accounts", "cost_code", 10},

        {"addresses", "address_line1", 50},
        {"addresses", "address_line2", 50},
        {"addresses", "address_line3", 50},
        {"addresses", "address_town", 30},
        {"addresses", "address_county", 30},
        {"addresses", "address_postcode1", 4},
        {"addresses", "address_postcode2", 3},
        {"addresses", "address_phone1", 20},
        {"addresses", "address_phone2", 20},
        {"addresses", "address_phone3", 20},
        {"address_types", "addresstype", 30},

        {"drivers", "driver_name", 40},
        {"drivers", "contact_name", 50},
        {"drivers", "licence_number", 20},

        {"vehicles", "reg_no", 10},
        {"vehicles", "first_reg", 10},
        {"vehicles", "policy", 50},
        {"vehicles", "driver_owned", 1},
        {"vehicles", "road_tax", 10},
        {"vehicles", "plated", 10},
        {"vehicles", "insurance", 10},
        {"vehicle_types", "vehicledescription", 30},
        {"payment_types", "paymentdescription", 30},
        {"receipt_types", "paymenttype", 30},

        {"company", "company_name", 50},
        {"company", "bank_name", 40},
        {"company", "bank_account_name", 40},
        {"company", "bank_sort_code", 8},
        {"company", "bank_account_number", 8},
        {"company", "invoice_footer", 200},
        {"company", "company_heading", 50},
        {"company", "company_addr1", 50},
        {"company", "company_addr2", 50},
        {"company", "company_town", 30},
        {"company", "company_county", 30},
        {"company", "company_postcode1", 4},
        {"company", "company_postcode2", 3},
        {"company", "company_tel1", 20},
        {"company", "company_tel2", 20},
        {"company", "company_tel3", 20},
        {"company", "company_mobile1", 20},
        {"company", "company_mobile2", 20},
        {"company", "company_e_mail", 60},
        {"company", "company_registration", 20},
        {"company", "company_vat", 20},

        {"passwords", "user_name", 20},
        {"passwords", "security_level", 20},

        {"invoice_line", "job_prefix", 1},
        {"invoice_line", "details", 40},
        {"invoice_line", "invoice_printed", 1},
        {"invoice_header", "printed", 1},
        {"invoice_header", "invoice_type", 1},
        {"driver_wages", "job_prefix", 1},
        {"driver_wages", "reported", 1},
        {"jobboard", "customer name", 50},
    };
    return widths;
}

int columnWidth(QStringView table, QStringView column)
{
    for (const ColumnWidth& entry : columnWidths()) {
        if (table.compare(QLatin1String(entry.table), Qt::CaseInsensitive) == 0 &&
            column.compare(QLatin1String(entry.column), Qt::CaseInsensitive) == 0)
            return entry.width;
    }
    return 0;
}

bool fitsColumns(QStringView table, const QStringList& columns, const QVariantList& values,
                 QString* error)
{
    for (qsizetype i = 0; i < columns.size() && i < values.size(); ++i) {
        const QVariant& value = values.at(i);
        if (value.typeId() != QMetaType::QString)
            continue;
        const int width = columnWidth(table, columns.at(i));
        if (width > 0 && value.toString().size() > width) {
            if (error)
                *error = QObject::tr("%1 may be at most %n characters long.", nullptr, width)
                             .arg(columns.at(i));
            return false;
        }
    }
    return true;
}

} // namespace velmora
