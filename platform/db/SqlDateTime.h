#pragma once
// A date value written into a DATETIME column. SQL Server reads "yyyy-MM-dd hh:mm:ss" by the login's
// language (year-day-month under a day-first language such as British English), so a date that is
// read back as a date is sent as the ISO 8601 form 'yyyy-MM-ddTHH:mm:ss', which every login reads
// the same; the embedded engine reads it too.
#include "platform/DateTime.h"

#include <string>

namespace quillan::db {

// The quoted literal, for example '2024-03-05T14:07:09'.
std::string sqlDateTime(const DateTime& when);

} // namespace quillan::db
