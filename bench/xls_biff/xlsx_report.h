#pragma once

#ifdef __cplusplus
extern "C" {
#endif

/* Writes the console's report sheet layout (header block, six formulas, rows of number,
   temperature, humidity and date text) with libxlsxwriter in constant-memory mode, sheets
   times. Returns 0 on success. */
int WriteXlsxReport(const char* path, int sheets, int rows);

#ifdef __cplusplus
}
#endif
