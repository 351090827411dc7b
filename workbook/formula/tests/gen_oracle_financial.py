#!/usr/bin/python3
"""Writes oracle_financial.inc: the financial functions over a small data sheet with the results
LibreOffice and gnumeric give (see spreadsheet_oracle.py). Results of iterations are rounded in
the formula where the programs stop their searches at other tolerances (XIRR, which the test
cannot nest in another function, converges to every digit in both programs).

Usage: gen_oracle_financial.py OUT.inc            writes the table
       gen_oracle_financial.py --check OUT.inc    fails when the programs now give another table
"""
import sys

from spreadsheet_oracle import oracle_table_main

# A: cash flows; B: their dates (serials, 2024-01-01 on); C: positive flows only; D: a number,
# a text and a Boolean; E1: an error; F: flows with two rates of return (10 % and 20 %);
# G: dates out of order.
DATA = [
    (0, 0, -1000), (0, 1, 300), (0, 2, 400), (0, 3, 500), (0, 4, 200),
    (1, 0, 45292), (1, 1, 45352), (1, 2, 45595), (1, 3, 45703), (1, 4, 45748),
    (2, 0, 100), (2, 1, 200), (2, 2, 300),
    (3, 0, 100), (3, 1, "x"), (3, 2, True),
    (4, 0, "=1/0"),
    (5, 0, -100), (5, 1, 230), (5, 2, -132),
    (6, 0, 45352), (6, 1, 45292), (6, 2, 45595),
]

FORMULAS = [
    # Present and future values, payments
    "PV(0,10,-100)", "PV(0.1,10,-100)", "PV(0.05,360,-500,0,1)", "PV(0.1,10,-100,1000)", "PV(0.1,2000,-100)",
    "PV(0.1,1000000,-100)", "PV(0.1,2000,-100,0,1)", "PV(0.00001,360,-100)", "PV(-1,10,-100)",
    "PV(-1.5,10,-100)", "PV(0.1,2.7,-100)", "PV(0.1,10,-100,0,2)", "PV(0.1,10,-100,0,0.5)", "PV(\"x\",1,1)",
    "PV(0.1,-5,-100)", "PV(0.1,10,-100,,1)", "PV(-0.5,3,-100)",
    "FV(0.1,2,-100)", "FV(0,10,-100,-50)", "FV(0.1,10,-100,-1000,1)", "FV(0.1,400,-100)", "FV(-1,1,1)",
    "FV(0.00001,360,-100)", "FV(0.1,10000,-100)", "FV(0.05,-3,-100)",
    "PMT(0,4,1000)", "PMT(0.1,2,1000,0,1)", "PMT(0.005,360,200000)", "PMT(0.1,1000,1000)", "PMT(0.1,0,1000)",
    "PMT(0,0,1000)", "PMT(0.1,10,1000,-500)", "PMT(-1,2,100)", "PMT(0.00002,120,10000)",
    # Number of periods
    "NPER(0,-100,1000)", "NPER(0.1,0,0)", "NPER(0.1,-100,1000)", "NPER(0.01,-100,1000,0,1)",
    "NPER(0.1,-50,1000)", "NPER(0.05,-100.5,1000)", "NPER(0.00001,-100,1000)", "NPER(0.1,100,1000)",
    "NPER(0.05,-100,0,2000)", "NPER(-1,-100,1000)",
    # Rates by iteration
    "ROUND(RATE(10,-100,800),12)", "ROUND(RATE(360,-1000,150000),12)", "ROUND(RATE(10,-100,0,2000),12)",
    "ROUND(RATE(4,-250,1000),12)", "ROUND(RATE(10,-100,800,0,1),12)", "ROUND(RATE(10,-100,800,0,0,0.5),12)",
    "RATE(0,-100,800)", "RATE(10,100,800)", "ROUND(RATE(48,-200,8000),12)", "ROUND(RATE(2,-60,100),12)",
    "ROUND(RATE(5,0,-1000,1500),12)", "ROUND(RATE(10,-100,1200,-500),12)", "ROUND(RATE(12,100,-1000),12)",
    "ROUND(RATE(10000,-100,900000),12)", "ROUND(RATE(5000,-10,0,100000),12)", "ROUND(RATE(10,-100,800,0,TRUE),12)",
    "ROUND(RATE(10.4,-100,800),12)", "RATE(10,-100,\"x\")",
    # Parts of a payment
    "IPMT(0.1,1,1,100)", "IPMT(0.1,2,2,100)", "IPMT(0.1,3,2,100)", "IPMT(0.1,1,2,100,0,1)",
    "IPMT(0.1,2,3,100,0,1)", "IPMT(0.1,3,3,100,50,1)", "IPMT(0.1,0,2,100)", "IPMT(0,2,5,100)",
    "IPMT(0.005,12,360,200000)", "IPMT(0.1,2,3,100,50)",
    "PPMT(0.1,1,2,100)", "PPMT(0.1,2,3,100,0,1)", "PPMT(0.1,0,2,100)", "PPMT(0.1,1,0,100)",
    "PPMT(0.005,12,360,200000,0,1)",
    "ISPMT(0.1,1,4,1000)", "ISPMT(0.1,0,4,1000)", "ISPMT(0.1,1,0,1000)", "ISPMT(0.1,4,4,1000)",
    # Cash flows
    "NPV(0.1,100,100)", "NPV(0.1,C1:C3)", "NPV(0.1,C1:C3,400)", "NPV(0.1,400,C1:C3)", "NPV(0.1,D1:D3)",
    "NPV(0.1,E1)", "NPV(-1,100)", "NPV(0.1,A1:A5)", "NPV(0,C1:C3)",
    "XNPV(0.1,A1:A5,B1:B5)", "XNPV(0.1,A1:A2,B1:B3)", "XNPV(0.1,A1,B1)", "XNPV(0.1,A1:A3,G1:G3)",
    "XNPV(0,A1:A5,B1:B5)", "XNPV(0.1,C1:C3,G1:G3)",
    "XIRR(A1:A5,B1:B5)", "XIRR(A1:A5,B1:B5,0)", "XIRR(A1:A5,B1:B5,-0.5)",
    "XIRR(A1,B1)", "XIRR(A1:A5,B1:B4)", "XIRR(C1:C3,B1:B3)", "XIRR(A1:A3,G1:G3)",
    "ROUND(IRR(A1:A5),12)", "ROUND(IRR(A1:A5,0.5),12)", "IRR(C1:C3)", "IRR(A1)", "ROUND(IRR(F1:F3),12)",
    "ROUND(IRR(F1:F3,0.25),12)", "IRR(A1:A5,-1)", "ROUND(IRR(A1:A2),12)",
    "MIRR(A1:A5,0.1,0.12)", "MIRR(C1:C3,0.1,0.12)", "MIRR(A1,0.1,0.1)", "MIRR(F1:F3,0.1,0.1)",
    # Depreciation
    "SLN(100,10,0)", "SLN(1000,100,5)", "SLN(1000,100,2.5)",
    "SYD(100,10,5,1)", "SYD(100,10,5,6)", "SYD(100,-10,5,1)", "SYD(100,10,5,0.5)", "SYD(100,10,5,2.5)",
    "DB(1000,100,5,1)", "DB(1000,100,1,1)", "DB(1000,100,5,6,7)", "DB(1000,100,5,2,7)", "DB(1000,0,5,2)",
    "DB(1000,100,5,7)", "DB(0,0,5,1)", "DB(1000,100,5.5,2)", "DB(1000,2000,5,1)", "DB(1000,100,5,1,0)",
    "DB(1000000,100000,10,3,6)", "DB(1000,100,5,5)",
    "DDB(1000,100,5,1)", "DDB(1000,100,2,2)", "DDB(1000,100,2,1,1.5)", "DDB(1000,100,5,5)",
    "DDB(1000,100,5,2.5)", "DDB(1000,100,5,6)", "DDB(1000,100,5,1,10)", "DDB(1000,100,5,1,0)",
    "DDB(2400,300,10,10)", "DDB(2400,300,10,8)",
    "VDB(2400,300,10,0,0.875,1.5)", "VDB(2400,300,10,0,1)", "VDB(2400,300,10,6,10)", "VDB(2400,300,10,0,10)",
    "VDB(2400,300,10,0,10,2,TRUE)", "VDB(1000,100,10,0,10,3)", "VDB(2400,300,10,2.5,5.5)",
    "VDB(2400,300,10,5,4)", "VDB(2400,300,10,0,11)", "VDB(2400,300,10,0,1,0)", "VDB(1000,0,5,0,5,1)",
    "VDB(1000,100,5,0,5,4,TRUE)", "VDB(2400,300,10,0,1,,TRUE)", "VDB(1000,900,5,0,5)", "VDB(1000,900,5,0,5,2,TRUE)", "VDB(2400,300,10,3,3)",
    # Accrued interest
    "ACCRINT(45292,45474,45474,0.1,1000,2,0)", "ACCRINT(45292,45474,45474,0.1,1000,2,1)",
    "ACCRINT(45292,45474,45474,0.1,1000,2,2)", "ACCRINT(45292,45474,45474,0.1,1000,2,3)",
    "ACCRINT(45292,45474,45474,0.1,1000,2,4)", "ACCRINT(45322,45474,45382,0.05,1000,1,0)",
    "ACCRINT(45322,45474,45382,0.05,1000,1,4)", "ACCRINT(44985,45474,45351,0.05,1000,1,0)",
    "ACCRINT(45351,45474,45382,0.05,1000,1,0)", "ACCRINT(45351,45474,45382,0.05,1000,1,4)",
    "ACCRINT(45292,45474,45474,0.1,1000,3,0)", "ACCRINT(45474,45474,45292,0.1,1000,2,0)",
    "ACCRINT(45292,45474,45474,0,1000,2,0)", "ACCRINT(45292,45474,45474,0.1,0,2,0)",
    "ACCRINT(45292,45474,45474,0.1,1000,2,5)", "ACCRINT(44727,45474,45535,0.08,500,4,1)",
    "ACCRINT(45291,45474,45688,0.06,1000,2,0)", "ACCRINT(45291,45474,45688,0.06,1000,2,3)",
    "ACCRINT(45292,45474,45474,0.1)", "ACCRINT(45292,45474,45474.75,0.1,1000,2,1)",
]

# Results we give on purpose where LibreOffice differs or the two disagree: formula -> (ours, why).
ARG_ERROR = "LibreOffice saves its argument error (Err:502) as #VALUE!; the error is #NUM!, as gnumeric"
EXACT = "small rates keep every digit (exp and log of 1 + rate computed without cancellation), as gnumeric"
BELOW_MINUS_ONE = "a rate of -100 % or less has no annuity: #NUM!; the programs take powers of a negative base"
WHOLE_PERIODS = "the number of periods is a whole number, the fraction cut off; the programs keep it"
NO_RATE = "no rate balances the flows: #NUM!"
SEARCH_FAILED = "a search that finds no rate gives #NUM!, as every failed iteration does"
LONG_ANNUITY = ("the rate of a long annuity to every digit (as mpmath finds it); LibreOffice stops a few units of"
                " the 12th decimal short, gnumeric gives up")
DB_ARGUMENTS = "DB's life, period and month are whole numbers of at least 1 and a life of 1 is refused: #VALUE!"
DECISIONS = {
    "PV(0.1,1000000,-100)": ("N:1000.0", "over very many periods the annuity is its perpetuity, as LibreOffice"),
    "PV(0.00001,360,-100)": ("N:35935.09833809542", EXACT),
    "PV(-1,10,-100)": ("#NUM!", BELOW_MINUS_ONE),
    "PV(-1.5,10,-100)": ("#NUM!", BELOW_MINUS_ONE),
    "PV(0.1,2.7,-100)": ("N:173.55371900826447", WHOLE_PERIODS),
    "PV(0.1,10,-100,0,0.5)": ("N:614.4567105704685", "the payment type is a whole number: 0.5 is 0 (the end)"),
    "FV(0.1,400,-100)": ("N:3.6064014027524436e+19", "the two differ in the last digits; ours are gnumeric's"),
    "FV(-1,1,1)": ("#NUM!", BELOW_MINUS_ONE),
    "FV(0.00001,360,-100)": ("N:36064.69718207256", EXACT),
    "FV(0.1,10000,-100)": ("#NUM!", "infinities are never stored: #NUM!, as LibreOffice"),
    "PMT(-1,2,100)": ("#NUM!", BELOW_MINUS_ONE),
    "NPER(0.1,0,0)": ("#NUM!", "without payment nor amounts there is no number of periods, as gnumeric"),
    "NPER(0.1,-100,1000)": ("#NUM!", "a payment that never repays gives #NUM!, as LibreOffice"),
    "NPER(0.1,-50,1000)": ("#NUM!", "a payment that never repays gives #NUM!, as LibreOffice"),
    "NPER(0.00001,-100,1000)": ("N:10.000550035752667", EXACT),
    "NPER(-1,-100,1000)": ("#NUM!", BELOW_MINUS_ONE),
    "ROUND(RATE(4,-250,1000),12)": ("N:0.0", "the rate is exactly 0, as gnumeric"),
    "RATE(0,-100,800)": ("#NUM!", ARG_ERROR),
    "RATE(10,100,800)": ("#NUM!", NO_RATE + ", as gnumeric"),
    "ROUND(RATE(10000,-100,900000),12)": ("N:2.1453579e-05", LONG_ANNUITY),
    "ROUND(RATE(5000,-10,0,100000),12)": ("N:0.000251359573", LONG_ANNUITY),
    "ROUND(RATE(10.4,-100,800),12)": ("N:0.042774978035", "RATE's number of periods is rounded to a whole one, as gnumeric"),
    "IPMT(0.1,3,2,100)": ("#NUM!", ARG_ERROR),
    "IPMT(0.1,1,2,100,0,1)": ("N:0.0", "a payment at the start of the first period carries no interest, as LibreOffice"),
    "IPMT(0.1,0,2,100)": ("#NUM!", ARG_ERROR),
    "PPMT(0.1,0,2,100)": ("#NUM!", ARG_ERROR),
    "PPMT(0.1,1,0,100)": ("#NUM!", ARG_ERROR),
    "ISPMT(0.1,0,4,1000)": ("N:-100.0", "period 0 is the first of ISPMT, as LibreOffice"),
    "ISPMT(0.1,1,0,1000)": ("#VALUE!", "ISPMT's number of periods is a whole number of at least 1: #VALUE! below"),
    "NPV(0.1,D1:D3)": ("N:90.9090909090909", "a Boolean read through a reference is left out, as gnumeric"),
    "NPV(-1,100)": ("#DIV/0!", "a rate of -1 divides by zero, as gnumeric"),
    "XNPV(0.1,A1:A2,B1:B3)": ("#NUM!", "values and dates of different counts: #NUM!, as gnumeric"),
    "XNPV(0.1,A1,B1)": ("#NUM!", "XNPV needs two values at least"),
    "XNPV(0.1,A1:A3,G1:G3)": ("#NUM!", "XNPV refuses a date before the first"),
    "XNPV(0.1,C1:C3,G1:G3)": ("#NUM!", "XNPV refuses a date before the first"),
    "XIRR(A1,B1)": ("#NUM!", "XIRR needs two values at least: #NUM!"),
    "XIRR(A1:A5,B1:B4)": ("#NUM!", "values and dates of different counts: #NUM!"),
    "XIRR(C1:C3,B1:B3)": ("#NUM!", SEARCH_FAILED),
    "XIRR(A1:A3,G1:G3)": ("N:-0.605087806966068", "XIRR takes dates in any order, as LibreOffice"),
    "IRR(C1:C3)": ("#NUM!", NO_RATE + ", as gnumeric"),
    "IRR(A1)": ("#NUM!", ARG_ERROR),
    "ROUND(IRR(A1:A2),12)": ("N:-0.7", "two flows have a rate like any others, as gnumeric"),
    "MIRR(C1:C3,0.1,0.12)": ("#DIV/0!", "without negative flows the rate divides by zero, as gnumeric"),
    "MIRR(A1,0.1,0.1)": ("#VALUE!", "MIRR needs two values at least: #VALUE!, as LibreOffice"),
    "SLN(100,10,0)": ("#DIV/0!", "a life of 0 divides by zero, as LibreOffice"),
    "SYD(100,10,5,6)": ("#NUM!", "a period after the life is refused"),
    "SYD(100,-10,5,1)": ("#NUM!", "a negative salvage value is refused"),
    "DB(1000,100,1,1)": ("#VALUE!", DB_ARGUMENTS),
    "DB(1000,0,5,2)": ("N:59.031", "a salvage of 0 takes the rate of a salvage of 0.001, so that the rate stays below 1"),
    "DB(1000,100,5,7)": ("#VALUE!", DB_ARGUMENTS + "; so is a period after the year after the life, as LibreOffice"),
    "DB(0,0,5,1)": ("#VALUE!", DB_ARGUMENTS + "; so is a cost of 0, as LibreOffice"),
    "DB(1000,100,5.5,2)": ("N:232.839", DB_ARGUMENTS),
    "DB(1000,2000,5,1)": ("#VALUE!", "a salvage above the cost is refused, as LibreOffice"),
    "DB(1000,100,5,1,0)": ("#VALUE!", DB_ARGUMENTS),
    "DDB(1000,100,5,6)": ("#NUM!", ARG_ERROR),
    "DDB(1000,100,5,1,0)": ("#NUM!", ARG_ERROR),
    "VDB(2400,300,10,5,4)": ("#NUM!", ARG_ERROR),
    "VDB(2400,300,10,0,11)": ("#NUM!", ARG_ERROR),
    "VDB(2400,300,10,0,1,0)": ("#NUM!", ARG_ERROR),
    "VDB(2400,300,10,0,1,,TRUE)": ("N:480.0", "an argument left empty takes its default (factor 2), as gnumeric"),
    "ACCRINT(45292,45474,45474,0.1)": ("N:50.0", "the par value and the frequency may be left out (1000 and 1)"),
    "ACCRINT(45292,45474,45474,0.1,1000,3,0)": ("#NUM!", ARG_ERROR),
    "ACCRINT(45474,45474,45292,0.1,1000,2,0)": ("#NUM!", ARG_ERROR),
    "ACCRINT(45292,45474,45474,0,1000,2,0)": ("#NUM!", ARG_ERROR),
    "ACCRINT(45292,45474,45474,0.1,0,2,0)": ("#NUM!", ARG_ERROR),
    "ACCRINT(45292,45474,45474,0.1,1000,2,5)": ("#NUM!", ARG_ERROR),
    "ACCRINT(44727,45474,45535,0.08,500,4,1)": ("N:88.30601092896175",
                                                "basis 1 divides by the length of the settlement's year, as gnumeric"),
    "ACCRINT(45291,45474,45688,0.06,1000,2,0)": ("N:65.0", "months of 30 days across the year end, as LibreOffice"),
}


def main():
    oracle_table_main(DATA, FORMULAS, DECISIONS, sys.argv)


if __name__ == "__main__":
    main()
