#pragma once
// Date cells of an Excel 97 workbook, read the way freexl 1.0.6 reads them. A workbook keeps a date
// as a number of days since 30 December 1899 (with 1900 counted as a leap year, as Excel does); the
// cell's format (its XF record's number format) says whether the number is shown as a date. freexl
// turns every such cell into text when it opens the workbook, counting the days one by one (40-90 µs
// a cell): the engine gives freexl those cells as plain numbers and writes the same texts itself
// (WorkbookDateCells.h).
#include <cstdint>
#include <string>
#include <string_view>

namespace quillan::db::embedded {

// How freexl shows a number with a given format: as a number, or as a date text
// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS".
enum class DateKind : std::uint8_t { Number, Date, DateTime, Time };

// The kind of a built-in number format (the ones a workbook uses without a FORMAT record);
// Number for the formats freexl shows as numbers and for those it is not known to show as dates.
DateKind builtinFormatKind(unsigned formatIndex);

// The kind freexl gives a format written in a FORMAT record, from the letters of its code (case
// and position do not matter, quoted text counts too): a month "m" with a year "y" or day "d" is a
// date, with an hour "h" and both year and day too a date and time; a minute "m" with "h" or "s"
// and no date is a time. `code` holds the code's characters, those outside ASCII as any other byte.
DateKind formatCodeKind(std::string_view code);

// Whether freexl gives the date of `serial` right: from 1 March 1900 (before it Excel's calendar
// has a day that never was) to the end of year 9999. freexl counts every fourth year as a leap year,
// so from 1 March 2100 on its dates are a day off or more; the text below gives the true date.
bool isConvertibleSerial(double serial);

// The text of a convertible serial as freexl writes it: the date part from the whole days, the
// time rounded to the nearest second. A time that rounds up to midnight is the next day's
// 00:00:00 (freexl writes "24:00:00", which no database takes as a time).
std::string serialDateText(double serial, DateKind kind);

} // namespace quillan::db::embedded
