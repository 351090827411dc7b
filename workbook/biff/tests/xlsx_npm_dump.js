// Prints what the npm package "xlsx" reads from an .xls file: each cell's type and value, and
// the merged areas. Usage: node xlsx_npm_dump.js ORACLE_FOLDER FILE.xls
const path = require("path");
const XLSX = require(path.join(process.argv[2], "node_modules", "xlsx"));
const book = XLSX.readFile(process.argv[3], { cellFormula: true });
const out = [];
book.SheetNames.forEach((name, s) => {
    const sheet = book.Sheets[name];
    out.push(`sheet ${s} ${name} ${sheet["!ref"]}`);
    const range = XLSX.utils.decode_range(sheet["!ref"]);
    for (let r = range.s.r; r <= range.e.r; ++r) {
        for (let c = range.s.c; c <= range.e.c; ++c) {
            const cell = sheet[XLSX.utils.encode_cell({ r, c })];
            if (!cell || cell.t === "z") continue;
            out.push(`cell ${s} ${r} ${c} ${cell.t} ${JSON.stringify(cell.v)}` + (cell.f ? ` =${cell.f}` : ""));
        }
    }
    for (const m of sheet["!merges"] || []) out.push(`merged ${s} ${XLSX.utils.encode_range(m)}`);
});
console.log(out.join("\n"));
