#!/usr/bin/python3
"""Writes oracle_date.inc: the date and time functions over a small data sheet with the results
LibreOffice and gnumeric give.

Both programs save date results with a date format, which openpyxl reads back as date objects;
they are turned back into the serials that were stored. The serials are those of the file format
(serial 60 is 29 February 1900), as gnumeric counts them; LibreOffice counts the days before
March 1900 one higher. Where our results differ from LibreOffice's on purpose, or the two
disagree, DECISIONS holds the result we give and why; the table keeps all three.

Usage: gen_oracle_date.py OUT.inc            writes the table
       gen_oracle_date.py --check OUT.inc    fails when LibreOffice now gives another table
"""
import datetime
import sys

from openpyxl.utils.datetime import to_excel

import spreadsheet_oracle
from spreadsheet_oracle import oracle_table_main

DATE_TYPES = (datetime.datetime, datetime.date, datetime.time, datetime.timedelta)
_read_column = spreadsheet_oracle.read_column


def read_serials(path, column, count):
    return [to_excel(v) if isinstance(v, DATE_TYPES) else v for v in _read_column(path, column, count)]


spreadsheet_oracle.read_column = read_serials

# (column, row, value) of the data sheet, 0-based; "=..." is a formula whose result the sheet
# holds (an error value). Column A: holidays around Wednesday 15 March 2023 (serial 45000), one
# of them on a Sunday and one twice; B: a text and an error; C: a date with a time of day.
DATA = [
    (0, 0, 45001), (0, 1, 45002), (0, 2, 45004), (0, 3, 45005), (0, 4, 45005),
    (1, 0, "x"), (1, 1, "=1/0"),
    (2, 0, 45000.75), (2, 1, "2023-03-15"),
]

FORMULAS = [
    # DATE: carries, small years, the 29 February 1900 and the ends of the range
    "DATE(2021,13,1)", "DATE(2021,0,1)", "DATE(2021,3,0)", "DATE(2021,2,31)", "DATE(-1,1,1)",
    "DATE(2021,14,31)", "DATE(2021,-13,1)", "DATE(2020,2,29)", "DATE(2021,2,29)", "DATE(2021,1,400)",
    "DATE(2021,1,-400)", "DATE(2021.9,1.9,1.9)", "DATE(1900,1,1)", "DATE(1900,2,28)", "DATE(1900,2,29)",
    "DATE(1900,3,0)", "DATE(1900,3,1)", "DATE(1899,12,31)", "DATE(1800,1,1)", "DATE(99,1,1)",
    "DATE(0,1,1)", "DATE(999,12,31)", "DATE(9999,12,31)", "DATE(9999,12,32)", "DATE(10000,1,1)",
    "DATE(2021,1,10^9)", "DATE(\"2021\",\"3\",\"4\")", "DATE(B1,1,1)", "DATE(2021,B2,1)",
    # TIME: wrapping hours, negative parts, fractions
    "TIME(10,30,0)", "TIME(-1,0,0)", "TIME(0,-1,0)", "TIME(24,0,0)", "TIME(25,0,0)", "TIME(48,30,0)",
    "TIME(0,1440,0)", "TIME(1,-30,0)", "TIME(0,0,-1)", "TIME(1,2,3.9)", "TIME(-1,120,0)",
    "TIME(0,0,86399)", "TIME(32767,0,0)", "TIME(B1,0,0)",
    # Parts of a serial; texts convert as the operators convert them
    "YEAR(45000)", "MONTH(45000)", "DAY(45000)", "YEAR(C1)", "DAY(C2)", "HOUR(C1)", "MINUTE(C1)",
    "SECOND(C1)", "YEAR(\"2023-03-15\")", "MONTH(\"3/15/2023\")", "YEAR(\"x\")", "DAY(B2)",
    "DAY(59)", "DAY(60)", "MONTH(60)", "YEAR(60)", "DAY(61)", "DAY(1)", "DAY(0)", "MONTH(0)", "YEAR(0)",
    "DAY(-1)", "YEAR(2958465)", "DAY(2958465.9)", "DAY(2958466)", "YEAR(-700000)",
    "HOUR(0.5)", "HOUR(0.99999999)", "MINUTE(0.7)", "SECOND(0.5000057)", "SECOND(0.50000636574)",
    "HOUR(1.75)", "HOUR(\"18:45\")", "MINUTE(\"18:45:30\")", "SECOND(\"18:45:30\")",
    # WEEKDAY: a Sunday (45004) and a Wednesday (45000) in every type
    "WEEKDAY(45004)", "WEEKDAY(45004,2)", "WEEKDAY(45004,3)", "WEEKDAY(45004,11)", "WEEKDAY(45004,12)",
    "WEEKDAY(45004,17)", "WEEKDAY(45000)", "WEEKDAY(45000,2)", "WEEKDAY(45000,3)", "WEEKDAY(45000,13)",
    "WEEKDAY(45000,16)", "WEEKDAY(45000,4)", "WEEKDAY(45000,0)", "WEEKDAY(45000,18)", "WEEKDAY(C1)",
    "WEEKDAY(61)", "WEEKDAY(1)", "WEEKDAY(\"2023-03-19\")", "WEEKDAY(-1)",
    # DAYS360: both methods, month ends, February, backwards
    "DAYS360(DATE(2021,1,1),DATE(2021,3,31))", "DAYS360(DATE(2021,1,15),DATE(2021,1,31))",
    "DAYS360(DATE(2021,1,30),DATE(2021,1,31))", "DAYS360(DATE(2021,1,31),DATE(2021,3,31))",
    "DAYS360(DATE(2021,2,28),DATE(2021,3,31))", "DAYS360(DATE(2021,1,15),DATE(2021,2,28))",
    "DAYS360(DATE(2020,2,29),DATE(2021,2,28))", "DAYS360(DATE(2021,3,31),DATE(2021,1,1))",
    "DAYS360(DATE(2021,12,15),DATE(2021,12,31))", "DAYS360(DATE(2021,1,31),DATE(2021,3,31),TRUE)",
    "DAYS360(DATE(2021,2,28),DATE(2021,3,31),TRUE)", "DAYS360(DATE(2021,1,15),DATE(2021,2,28),TRUE)",
    "DAYS360(DATE(2020,2,29),DATE(2021,2,28),TRUE)", "DAYS360(45000,45000)", "DAYS360(-1,5)",
    "DAYS360(B1,1)", "DAYS360(1,2,B1)",
    # EOMONTH
    "EOMONTH(DATE(2021,1,15),1)", "EOMONTH(DATE(2020,1,31),1)", "EOMONTH(DATE(2021,3,31),-1)",
    "EOMONTH(DATE(2021,12,5),0)", "EOMONTH(DATE(2021,1,15),-13)", "EOMONTH(45000,1.9)",
    "EOMONTH(45000,-1.9)", "EOMONTH(0,1)", "EOMONTH(1,1)", "EOMONTH(1,0)", "EOMONTH(61,-1)",
    "EOMONTH(-1,1)", "EOMONTH(2958465,0)", "EOMONTH(2958465,1)", "EOMONTH(45000,-2000000)",
    "EOMONTH(B1,1)", "EOMONTH(\"2023-03-15\",0)",
    # YEARFRAC in every basis
    "YEARFRAC(DATE(2021,1,1),DATE(2021,7,1),3)", "YEARFRAC(45000,45000)", "YEARFRAC(45000,45000,1)",
    "YEARFRAC(1,2,5)", "YEARFRAC(1,2,-1)", "YEARFRAC(DATE(2021,1,31),DATE(2021,3,15))",
    "YEARFRAC(DATE(2021,1,31),DATE(2021,3,31))", "YEARFRAC(DATE(2021,1,30),DATE(2021,3,31))",
    "YEARFRAC(DATE(2021,2,28),DATE(2022,2,28))", "YEARFRAC(DATE(2021,2,28),DATE(2021,3,15))",
    "YEARFRAC(DATE(2020,2,29),DATE(2021,2,28),0)", "YEARFRAC(DATE(2021,7,1),DATE(2021,1,1))",
    "YEARFRAC(DATE(2021,1,1),DATE(2021,7,1),1)", "YEARFRAC(DATE(2020,1,1),DATE(2020,7,1),1)",
    "YEARFRAC(DATE(2019,6,1),DATE(2020,3,1),1)", "YEARFRAC(DATE(2020,3,1),DATE(2021,2,28),1)",
    "YEARFRAC(DATE(2019,3,1),DATE(2020,2,29),1)", "YEARFRAC(DATE(2019,1,1),DATE(2022,7,1),1)",
    "YEARFRAC(DATE(2021,1,1),DATE(2022,1,1),1)", "YEARFRAC(DATE(2021,1,1),DATE(2022,1,2),1)",
    "YEARFRAC(DATE(2021,1,1),DATE(2021,7,1),2)", "YEARFRAC(DATE(2021,1,31),DATE(2021,3,31),4)",
    "YEARFRAC(DATE(2021,2,28),DATE(2021,3,31),4)", "YEARFRAC(0,2)", "YEARFRAC(45000.9,45001.1,2)",
    "YEARFRAC(B1,1)", "YEARFRAC(-1,2,3)",
    # WORKDAY: holidays, weekends, backwards, the ends of the range
    "WORKDAY(45000,1)", "WORKDAY(45001,1)", "WORKDAY(45002,1)", "WORKDAY(45003,1)", "WORKDAY(45004,1)",
    "WORKDAY(45000,0)", "WORKDAY(45003,0)", "WORKDAY(45000,5)", "WORKDAY(45000,10)", "WORKDAY(45000,-1)",
    "WORKDAY(45004,-1)", "WORKDAY(45000,-10)", "WORKDAY(45000,2.9)", "WORKDAY(45000,-2.9)",
    "WORKDAY(45000,1,A1:A5)", "WORKDAY(45000,2,A1:A5)", "WORKDAY(45000,3,A1:A5)", "WORKDAY(45006,-1,A1:A5)",
    "WORKDAY(45006,-3,A1:A5)", "WORKDAY(45000,1,A1)", "WORKDAY(45000,1,45001)", "WORKDAY(45000,1,{45001,45002})",
    "WORKDAY(45000,1,B1)", "WORKDAY(45000,1,B2)", "WORKDAY(45000,1,\"x\")", "WORKDAY(45000,1000000)",
    "WORKDAY(2958465,1)", "WORKDAY(2958464,-1)", "WORKDAY(45000,10^10)", "WORKDAY(B1,1)", "WORKDAY(-1,1)",
    "WORKDAY(45000.7,1)", "WORKDAY(C2,1)",
    # NETWORKDAYS
    "NETWORKDAYS(45000,45010)", "NETWORKDAYS(45010,45000)", "NETWORKDAYS(45000,45000)",
    "NETWORKDAYS(45004,45004)", "NETWORKDAYS(DATE(2021,1,1),DATE(2021,1,31))",
    "NETWORKDAYS(DATE(2021,1,1),DATE(2021,12,31))", "NETWORKDAYS(45000,45010,A1:A5)",
    "NETWORKDAYS(45010,45000,A1:A5)", "NETWORKDAYS(45000,45010,A1)", "NETWORKDAYS(45000,45010,B2)",
    "NETWORKDAYS(45000,45010,{45001,45001})", "NETWORKDAYS(1,2958465)", "NETWORKDAYS(45000,45010.9)",
    "NETWORKDAYS(45000,2958466)", "NETWORKDAYS(B1,1)",
    # The .INTL forms
    "WORKDAY.INTL(45000,1,1)", "WORKDAY.INTL(45000,3,7)", "WORKDAY.INTL(45000,1,\"0000011\")",
    "WORKDAY.INTL(45000,5,\"1111100\")", "WORKDAY.INTL(45000,1,11,A1:A5)", "WORKDAY.INTL(45000,-3,2,A1:A5)",
    "WORKDAY.INTL(45000,1,\"1111111\")", "WORKDAY.INTL(45000,1,8)", "WORKDAY.INTL(45000,1,\"000001\")",
    "WORKDAY.INTL(45000,1,\"0000012\")", "NETWORKDAYS.INTL(45000,45010)", "NETWORKDAYS.INTL(45000,45010,1)",
    "NETWORKDAYS.INTL(45000,45010,\"0000000\")", "NETWORKDAYS.INTL(45000,45010,17,A1:A5)",
    "NETWORKDAYS.INTL(45010,45000,\"1010100\")", "NETWORKDAYS.INTL(45000,45010,\"1111111\")",
    "NETWORKDAYS.INTL(45000,45010,0)",
    # Date and time texts and the clock
    "DATEVALUE(\"1900-02-29\")", "DATEVALUE(\"2024-02-29 13:00\")", "DATEVALUE(\"9999-12-31\")",
    "DATEVALUE(45000)", "DATEVALUE(\"\")", "DATEVALUE(\"1899-12-31\")", "TIMEVALUE(\"23:59:59\")",
    "TIMEVALUE(\"24:00\")", "TIMEVALUE(0.5)", "TIMEVALUE(\"2024-03-15\")", "DAY(\"2024-02-29\")",
    "HOUR(\"2024-03-15 18:00\")", "YEAR(TODAY())>=2024", "INT(TODAY())=TODAY()", "NOW()-TODAY()<1",
]

SERIALS = "serials count the 29 February 1900 of the file format, as gnumeric; LibreOffice counts one more before March 1900"
FEB29 = "serial 60 is the 29 February 1900 of the file format; gnumeric has no such day, LibreOffice counts one more"
ARG_ERROR = "LibreOffice saves its argument error (Err:502) as #VALUE!; the error is #NUM!"
PAST_9999 = "a date past 31 December 9999 is out of range: #NUM!"
SMALL_YEARS = "years below 1000 count from 1900, as gnumeric; LibreOffice reads years below 100 in a century window"
WEEK_DAYS = "serial 1 is a Sunday, as WEEKDAY counts it and LibreOffice too; gnumeric takes the real calendar"
DAYS360_US = "the American rule as LibreOffice applies it: only a start on the last of February moves to the 30th"
NO_PREFIX = "gnumeric does not know the name without the _xlfn. prefix of the file format"
BACKWARDS = "an end before the start counts negative, as LibreOffice; gnumeric counts positive"
DECISIONS = {
    "DATE(-1,1,1)": ("#NUM!", ARG_ERROR),
    "DATE(1900,1,1)": ("N:1.0", SERIALS),
    "DATE(1900,2,28)": ("N:59.0", SERIALS),
    "DATE(1900,2,29)": ("N:60.0", FEB29 + "; both programs give 1 March"),
    "DATE(1900,3,0)": ("N:60.0", FEB29),
    "DATE(1899,12,31)": ("N:0.0", SERIALS),
    "DATE(1800,1,1)": ("N:-36523.0", SERIALS),
    "DATE(0,1,1)": ("N:1.0", SMALL_YEARS),
    "DATE(999,12,31)": ("N:365244.0", SMALL_YEARS),
    "DATE(9999,12,32)": ("#NUM!", PAST_9999),
    "DATE(10000,1,1)": ("#NUM!", PAST_9999),
    "DATE(2021,1,10^9)": ("#NUM!", PAST_9999 + "; gnumeric wraps around"),
    "TIME(-1,0,0)": ("#NUM!", ARG_ERROR),
    "TIME(0,-1,0)": ("#NUM!", ARG_ERROR),
    "TIME(0,0,-1)": ("#NUM!", ARG_ERROR),
    "TIME(1,-30,0)": ("N:0.0208333333333333", "negative minutes subtract while the time stays positive, as LibreOffice; gnumeric refuses them"),
    "TIME(-1,120,0)": ("#NUM!", "a negative hour is #NUM!, as gnumeric"),
    "DAY(59)": ("N:28.0", SERIALS),
    "DAY(60)": ("N:29.0", FEB29),
    "MONTH(60)": ("N:2.0", FEB29),
    "YEAR(60)": ("N:1900.0", FEB29),
    "DAY(1)": ("N:1.0", SERIALS),
    "DAY(0)": ("N:31.0", SERIALS),
    "DAY(-1)": ("N:30.0", SERIALS),
    "DAY(2958466)": ("#NUM!", PAST_9999),
    "YEAR(-700000)": ("#NUM!", "a date before the year 1 is out of range; both programs give a year that does not exist"),
    "HOUR(0.99999999)": ("N:0.0", "times count to the nearest second, as gnumeric"),
    "WEEKDAY(45000,4)": ("#NUM!", ARG_ERROR),
    "WEEKDAY(45000,0)": ("#NUM!", ARG_ERROR),
    "WEEKDAY(45000,18)": ("#NUM!", ARG_ERROR),
    "WEEKDAY(1)": ("N:1.0", WEEK_DAYS),
    "WEEKDAY(-1)": ("N:6.0", WEEK_DAYS),
    "DAYS360(DATE(2021,2,28),DATE(2021,3,31))": ("N:30.0", DAYS360_US),
    "DAYS360(DATE(2020,2,29),DATE(2021,2,28))": ("N:358.0", DAYS360_US),
    "DAYS360(DATE(2021,3,31),DATE(2021,1,1))": ("N:-89.0", DAYS360_US),
    "EOMONTH(0,1)": ("N:31.0", SERIALS),
    "EOMONTH(1,1)": ("N:60.0", FEB29),
    "EOMONTH(1,0)": ("N:31.0", SERIALS),
    "EOMONTH(61,-1)": ("N:60.0", FEB29),
    "EOMONTH(-1,1)": ("N:31.0", SERIALS),
    "EOMONTH(2958465,1)": ("#NUM!", PAST_9999),
    "EOMONTH(45000,-2000000)": ("#NUM!", "a date before the year 1 is out of range"),
    "YEARFRAC(1,2,5)": ("#NUM!", ARG_ERROR),
    "YEARFRAC(1,2,-1)": ("#NUM!", ARG_ERROR),
    "YEARFRAC(0,2)": ("N:0.005555555555555556", SERIALS),
    "WORKDAY(2958465,1)": ("#NUM!", PAST_9999),
    "WORKDAY(45000,10^10)": ("#NUM!", ARG_ERROR),
    "WORKDAY(-1,1)": ("N:2.0", WEEK_DAYS),
    "NETWORKDAYS(45010,45000)": ("N:-8.0", BACKWARDS),
    "NETWORKDAYS(45010,45000,A1:A5)": ("N:-5.0", BACKWARDS),
    "NETWORKDAYS(45000,2958466)": ("#NUM!", PAST_9999),
    "WORKDAY.INTL(45000,1,1)": ("N:45001.0", NO_PREFIX),
    "WORKDAY.INTL(45000,3,7)": ("N:45005.0", NO_PREFIX),
    "WORKDAY.INTL(45000,1,\"0000011\")": ("N:45001.0", NO_PREFIX),
    "WORKDAY.INTL(45000,5,\"1111100\")": ("N:45017.0", NO_PREFIX),
    "WORKDAY.INTL(45000,1,11,A1:A5)": ("N:45003.0", NO_PREFIX),
    "WORKDAY.INTL(45000,-3,2,A1:A5)": ("N:44995.0", NO_PREFIX),
    "WORKDAY.INTL(45000,1,\"1111111\")": ("#VALUE!", NO_PREFIX),
    "WORKDAY.INTL(45000,1,8)": ("#NUM!", ARG_ERROR + "; " + NO_PREFIX),
    "WORKDAY.INTL(45000,1,\"000001\")": ("#VALUE!", NO_PREFIX),
    "WORKDAY.INTL(45000,1,\"0000012\")": ("#VALUE!", NO_PREFIX),
    "NETWORKDAYS.INTL(45000,45010)": ("N:8.0", NO_PREFIX),
    "NETWORKDAYS.INTL(45000,45010,1)": ("N:8.0", NO_PREFIX),
    "NETWORKDAYS.INTL(45000,45010,\"0000000\")": ("N:11.0", NO_PREFIX),
    "NETWORKDAYS.INTL(45000,45010,17,A1:A5)": ("N:5.0", NO_PREFIX),
    "NETWORKDAYS.INTL(45010,45000,\"1010100\")": ("N:-6.0", NO_PREFIX),
    "NETWORKDAYS.INTL(45000,45010,\"1111111\")": ("N:0.0", NO_PREFIX),
    "NETWORKDAYS.INTL(45000,45010,0)": ("#NUM!", ARG_ERROR + "; " + NO_PREFIX),
    "DATEVALUE(45000)": ("#VALUE!", "a number is no date text, as LibreOffice; gnumeric passes it through"),
    "DATEVALUE(\"1899-12-31\")": ("#VALUE!", "date texts are read from the year 1900 on; both programs read earlier ones"),
    "TIMEVALUE(0.5)": ("#VALUE!", "a number is no time text, as LibreOffice; gnumeric passes it through"),
    "TIMEVALUE(\"2024-03-15\")": ("N:0.0", "a date text alone is midnight, as gnumeric; LibreOffice wants a time"),
}


def main():
    oracle_table_main(DATA, FORMULAS, DECISIONS, sys.argv)


if __name__ == "__main__":
    main()
