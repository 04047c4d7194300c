#pragma once

#include <QString>

namespace velmora::reports {

// Why a report could not be produced: a number that tells the kind of fault and a text,
// worded for the operator, that says what is wrong and where.
struct ReportError
{
    enum Number : int {
        None = 0,
        FileMissing = 501,    // no report file at the path
        FileUnreadable = 502, // the file exists but cannot be read
        Malformed = 503,      // syntax, settings or template of the file
        QueryRefused = 504,   // a query that is not a single read-only SELECT
        QueryFailed = 505,    // the database rejected a query
        NoDatabase = 506,     // no open database connection
        NoPrinter = 507,      // no printer installed
        OutputFailed = 508,   // the PDF or the print job could not be written
        BadDestination = 509, // a destination other than preview (0) or printer (1)
        TimedOut = 510,       // the run went past the report's time limit
        TooComplex = 511,     // a template too large, nested too deep or including itself
        BadMoney = 512,       // a money column holding something other than whole units
        Cancelled = 513,      // stopped by the operator
        BadParameter = 514,   // a parameter value that cannot be used
        OutputRefused = 515,  // an output file that must not be written over
        TooManyRows = 516,    // the run read more rows than the report's row limit
        TooManyPages = 517,   // the run laid out more pages than the report's page limit
    };

    int number = None;
    QString text;
};

} // namespace velmora::reports
