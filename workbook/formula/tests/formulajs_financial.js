// Evaluates the financial formulas of oracle_financial.inc with the npm package @formulajs/formulajs
// and compares its results with our own column of the table. Every difference that is not in
// KnownDifferences below is listed and fails the run; so does a known difference that no longer
// shows, so that the table stays true.
// Usage: node formulajs_financial.js ORACLE_FOLDER TABLE.inc
'use strict';
process.env.TZ = 'UTC'; // serial dates become Date objects; no daylight saving may shift a day

const fs = require('fs');
const path = require('path');
const { createRequire } = require('module');

const Tolerance = 1e-9;

// formulajs's ACCRINT reads a number as JavaScript milliseconds, not as a serial date: its three
// dates are handed over as Date objects, as a caller of the package would.
const DateArguments = new Map([['ACCRINT', [0, 1, 2]]]);
const DayMilliseconds = 86400000;
const SerialZero = Date.UTC(1899, 11, 30);

// Formula -> [what formulajs gives, why ours differs]. A number is compared within the tolerance,
// NaN, an infinity or an error by its text.
const NoAnnuity = 'formulajs takes powers of a rate of -100 % or less; we refuse such a rate: #NUM!';
const Overflow = 'formulajs lets the powers overflow to NaN or an infinity; we give #NUM!, never a NaN';
const NoCheck = 'formulajs does not check its arguments and returns NaN, an infinity or a figure; we give the error';
const WholePeriods = 'formulajs keeps a fraction of a period; ours is a whole number, the fraction cut off';
const BeforeFirst = 'formulajs accepts a date before the first, as LibreOffice and gnumeric; we refuse it';
const LifeRefused = 'formulajs refuses a period after the life even when the first year is short; ours, LibreOffice and gnumeric give the last part-year';
const ErrorKind = 'both refuse the arguments, with another error value';
const KnownDifferences = new Map([
  ['PV(0.1,1000000,-100)', [NaN, Overflow]],
  ['PV(-1,10,-100)', [Infinity, NoAnnuity]],
  ['PV(-1.5,10,-100)', [68200, NoAnnuity]],
  ['PV(0.1,2.7,-100)', [226.89274273396333, WholePeriods + ' (LibreOffice and gnumeric keep it too)']],
  ['PV(0.1,10,-100,0,2)', [737.3480526845623, 'formulajs multiplies by 1 + rate times the type; any type other than 0 is the start for us, LibreOffice and gnumeric']],
  ['PV(0.1,10,-100,0,0.5)', [645.179546098992, 'formulajs multiplies by 1 + rate times the type; ours is a whole number: 0.5 is 0 (the end)']],
  ['FV(-1,1,1)', [-1, NoAnnuity]],
  ['FV(0.1,10000,-100)', [NaN, Overflow]],
  ['PMT(0.1,0,1000)', [NaN, NoCheck]],
  ['PMT(0,0,1000)', [-Infinity, NoCheck]],
  ['PMT(-1,2,100)', [0, NoAnnuity]],
  ['NPER(0.1,0,0)', [NaN, NoCheck]],
  ['NPER(0.1,-100,1000)', [NaN, 'formulajs takes the log of a negative number for a payment that never repays; we give #NUM!']],
  ['NPER(0.1,-50,1000)', [NaN, 'formulajs takes the log of a negative number for a payment that never repays; we give #NUM!']],
  ['NPER(-1,-100,1000)', [0, NoAnnuity]],
  ['ROUND(RATE(10000,-100,900000),12)', ['#VALUE!', 'formulajs gives up the search for the rate of a long annuity; ours finds it to every digit']],
  ['ROUND(RATE(5000,-10,0,100000),12)', [0.078163312275, 'formulajs stops its search far from the rate of a long annuity and returns where it stopped; ours finds it to every digit']],
  ['ROUND(RATE(10.4,-100,800),12)', [0.048977736364, 'formulajs keeps the fraction of the number of periods, as LibreOffice; ours rounds it, as gnumeric']],
  ['IPMT(0.1,3,2,100)', [2.842170943040401e-15, 'formulajs accepts a period after the last; we give #NUM!']],
  ['IPMT(0.1,0,2,100)', [-14.329004329004329, 'formulajs accepts period 0; we give #NUM!']],
  ['PPMT(0.1,0,2,100)', [-43.290043290043265, 'formulajs accepts period 0; we give #NUM!']],
  ['PPMT(0.1,1,0,100)', [NaN, NoCheck]],
  ['ISPMT(0.1,1,0,1000)', [Infinity, NoCheck]],
  ['NPV(0.1,D1:D3)', ['#VALUE!', 'formulajs refuses text read through a reference; we leave text and Booleans of references out, as gnumeric']],
  ['NPV(-1,100)', [Infinity, 'formulajs divides by zero into an infinity; we give #DIV/0!']],
  ['XNPV(0.1,A1:A2,B1:B3)', [-704.6635993476572, 'formulajs ignores the dates without a value; values and dates of different counts give #NUM! for us']],
  ['XNPV(0.1,A1,B1)', [-1000, 'formulajs accepts one value; XNPV needs two for us']],
  ['XNPV(0.1,A1:A3,G1:G3)', [-319.85549672927107, BeforeFirst]],
  ['XNPV(0.1,C1:C3,G1:G3)', [584.7136073419668, BeforeFirst]],
  ['XIRR(A1:A5,B1:B4)', [NaN, NoCheck]],
  ['XIRR(A1:A3,G1:G3)', [NaN, 'formulajs finds no rate when the dates are not in order; ours takes them in any order, as LibreOffice']],
  ['MIRR(C1:C3,0.1,0.12)', [Infinity, 'formulajs divides by zero into an infinity without negative flows; we give #DIV/0!']],
  ['MIRR(A1,0.1,0.1)', [-1, NoCheck]],
  ['MIRR(F1:F3,0.1,0.1)', [0.07238052947636087, 'formulajs discounts the negative and the positive flows each as if they came in consecutive periods, losing their places; ours, LibreOffice and gnumeric give 0.1']],
  ['SLN(100,10,0)', ['#NUM!', ErrorKind + ' (ours #DIV/0!, as LibreOffice)']],
  ['SYD(100,-10,5,1)', [36.666666666666664, 'formulajs accepts a negative salvage, as LibreOffice and gnumeric; we refuse it']],
  ['SYD(100,10,5,0.5)', ['#NUM!', 'formulajs refuses a period below 1; ours, LibreOffice and gnumeric take the fraction']],
  ['SYD(100,10,5,2.5)', [24, 'formulajs cuts the fraction of the period; ours, LibreOffice and gnumeric keep it']],
  ['DB(1000,100,1,1)', [900, 'formulajs accepts a life of 1, as LibreOffice and gnumeric; we refuse it']],
  ['DB(1000,100,5,6,7)', ['#NUM!', LifeRefused]],
  ['DB(1000,0,5,2)', [0, 'formulajs takes a rate of 1 for a salvage of 0, as LibreOffice and gnumeric; ours takes the rate of a salvage of 0.001']],
  ['DB(1000,100,5,7)', ['#NUM!', ErrorKind + ' (ours #VALUE!, as LibreOffice)']],
  ['DB(0,0,5,1)', [0, 'formulajs accepts a cost of 0; we refuse it, as LibreOffice']],
  ['DB(1000,100,5.5,2)', [225.03600000000003, 'formulajs keeps the fraction of the life, as LibreOffice and gnumeric; ours is a whole number']],
  ['DB(1000,2000,5,1)', [0, 'formulajs accepts a salvage above the cost; we refuse it, as LibreOffice']],
  ['DB(1000,100,5,1,0)', ['#NUM!', ErrorKind + ' (ours #VALUE!)']],
  ['DDB(1000,100,5,2.5)', [240, 'formulajs cuts the fraction of the period; ours, LibreOffice and gnumeric keep it']],
  ['ACCRINT(45351,45474,45382,0.05,1000,1,0)', [4.444444444444445, 'formulajs\'s 30/360 day count does not move the last day of February; ours, LibreOffice and gnumeric do']],
  ['ACCRINT(44727,45474,45535,0.08,500,4,1)', [88.46715328467154, 'formulajs averages the lengths of the years crossed for basis 1; ours divides by the length of the settlement\'s year, as gnumeric']],
  ['ACCRINT(45292,45474,45474,0.1)', ['#NUM!', 'formulajs needs the par value and the frequency; we default them to 1000 and 1']],
  ['ACCRINT(45292,45474,45474.75,0.1,1000,2,1)', [50, 'formulajs counts the time of day of the settlement; dates are whole days for us, LibreOffice and gnumeric']],
])

// The calls of the table, read back from its C++ text.
function readTable(file) {
  const text = fs.readFileSync(file, 'utf8');
  const cells = new Map();
  const cellPattern = /\{(\d+), (\d+), u"((?:[^"\\]|\\.)*)", (true|false)\}/g;
  for (const m of text.matchAll(cellPattern)) {
    cells.set(columnName(Number(m[1])) + (Number(m[2]) + 1), cellValue(unescape(m[3])));
  }
  const cases = [];
  const casePattern = /\{u"((?:[^"\\]|\\.)*)", u"((?:[^"\\]|\\.)*)", u"((?:[^"\\]|\\.)*)", u"((?:[^"\\]|\\.)*)", u"((?:[^"\\]|\\.)*)"\}/g;
  for (const m of text.matchAll(casePattern)) cases.push({ formula: unescape(m[1]), ours: unescape(m[2]) });
  if (cases.length === 0) throw new Error('no cases found in ' + file);
  return { cells, cases };
}

function unescape(text) {
  return text.replace(/\\(.)/g, '$1');
}

function columnName(index) {
  return String.fromCharCode(65 + index);
}

function cellValue(text) {
  if (text.startsWith('N:')) return Number(text.slice(2));
  if (text === 'TRUE' || text === 'FALSE') return text === 'TRUE';
  if (text.startsWith('"')) return text.slice(1, -1);
  if (text.startsWith('#')) return new Error(text);
  throw new Error('unknown cell value ' + text);
}

// A small parser of the table's formula texts: calls, numbers, strings, Booleans, cell
// references and ranges of one column or row, unary minus and empty arguments.
function evaluate(formula, cells, functions) {
  let at = 0;
  const fail = (what) => {
    throw new SyntaxError(what + ' at ' + at + ' in ' + formula);
  };
  const peek = () => formula[at];
  const expression = () => {
    if (peek() === '-') {
      at++;
      return -expression();
    }
    if (peek() === '"') {
      const end = formula.indexOf('"', at + 1);
      if (end < 0) fail('unterminated string');
      const text = formula.slice(at + 1, end);
      at = end + 1;
      return text;
    }
    const number = /^\d+(\.\d+)?([eE][-+]?\d+)?/.exec(formula.slice(at));
    if (number) {
      at += number[0].length;
      return Number(number[0]);
    }
    const name = /^[A-Z][A-Z.]*\d*/.exec(formula.slice(at));
    if (!name) fail('unexpected character');
    at += name[0].length;
    if (peek() === '(') return call(name[0]);
    if (name[0] === 'TRUE' || name[0] === 'FALSE') return name[0] === 'TRUE';
    if (peek() === ':') {
      at++;
      const last = /^[A-Z]+\d+/.exec(formula.slice(at));
      if (!last) fail('bad range');
      at += last[0].length;
      return range(name[0], last[0]);
    }
    return reference(name[0]);
  };
  const reference = (name) => (cells.has(name) ? cells.get(name) : null);
  const range = (first, last) => {
    const [, c1, r1] = /^([A-Z])(\d+)$/.exec(first);
    const [, c2, r2] = /^([A-Z])(\d+)$/.exec(last);
    const values = [];
    for (let c = c1.charCodeAt(0); c <= c2.charCodeAt(0); c++) {
      for (let r = Number(r1); r <= Number(r2); r++) values.push(reference(String.fromCharCode(c) + r));
    }
    return values;
  };
  const call = (name) => {
    at++;
    const args = [];
    while (peek() !== ')') {
      args.push(peek() === ',' || peek() === ')' ? null : expression());
      if (peek() === ',') at++;
      else if (peek() !== ')') fail('expected , or )');
    }
    at++;
    const fn = functions[name];
    if (typeof fn !== 'function') throw new Missing(name);
    for (const index of DateArguments.get(name) ?? []) {
      if (typeof args[index] === 'number') args[index] = new Date(SerialZero + args[index] * DayMilliseconds);
    }
    return fn(...args);
  };
  const result = expression();
  if (at !== formula.length) fail('trailing text');
  return result;
}

class Missing extends Error {
  constructor(name) {
    super(name);
    this.functionName = name;
  }
}

function describe(result) {
  if (result instanceof Error) return result.message;
  if (typeof result === 'number') return String(result);
  return JSON.stringify(result);
}

function agrees(ours, result) {
  if (ours.startsWith('N:')) {
    if (typeof result !== 'number' || !Number.isFinite(result)) return false;
    const expected = Number(ours.slice(2));
    return Math.abs(result - expected) <= Tolerance * Math.max(Math.abs(expected), Math.abs(result), 1e-300);
  }
  return result instanceof Error && result.message === ours;
}

function sameAs(expected, result) {
  if (typeof expected === 'number' && Number.isFinite(expected)) return agrees('N:' + expected, result);
  return describe(result) === String(expected);
}

function main() {
  const [oracles, tableFile] = process.argv.slice(2);
  if (!oracles || !tableFile) {
    console.error('usage: node formulajs_financial.js ORACLE_FOLDER TABLE.inc');
    return 2;
  }
  const requireOracle = createRequire(path.join(path.resolve(oracles), 'node_modules') + path.sep);
  let functions;
  try {
    functions = requireOracle('@formulajs/formulajs');
  } catch (error) {
    console.log('@formulajs/formulajs is not installed in ' + oracles + ': run scripts/setup');
    return 1;
  }
  const { cells, cases } = readTable(tableFile);
  const lacking = new Set();
  const problems = [];
  const seen = new Set();
  let compared = 0;
  for (const { formula, ours } of cases) {
    let result;
    try {
      result = evaluate(formula, cells, functions);
    } catch (error) {
      if (error instanceof Missing) {
        lacking.add(error.functionName);
        continue;
      }
      result = error instanceof SyntaxError ? error : new Error('threw ' + error.message);
    }
    compared++;
    const known = KnownDifferences.get(formula);
    if (known) seen.add(formula);
    if (agrees(ours, result)) {
      if (known) problems.push(`${formula}: listed as a known difference but agrees now (${ours})`);
      continue;
    }
    if (known && sameAs(known[0], result)) continue;
    problems.push(`${formula}: ours ${ours}, formulajs ${describe(result)}`);
  }
  for (const formula of KnownDifferences.keys()) {
    if (!seen.has(formula)) problems.push(`${formula}: listed as a known difference but not in the table`);
  }
  console.log(`compared ${compared} formulas; functions formulajs lacks: ${[...lacking].sort().join(' ') || 'none'}`);
  for (const problem of problems) console.log(problem);
  return problems.length === 0 ? 0 : 1;
}

process.exitCode = main();
