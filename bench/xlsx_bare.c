/* The floor under a workbook export: libxlsxwriter alone, in constant-memory mode, writing the
 * cells of a .csv file (UTF-8, optional byte-order mark, quoted as RFC 4180 says) typed per
 * column the way the list's export types them:
 *   bench_xlsx_bare IN.csv OUT.xlsx TYPES      TYPES: one letter per column, s text,
 *                                              n number, d date (yyyy-mm-dd)
 * The first row is the caption row. Prints "bare_xlsx_ms VALUE". */
#include <xlsxwriter.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double nowMs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* Reads one field into buf (growing it); returns the character that ended it: ',', '\n' or
 * EOF. A quoted field may hold commas, doubled quotes and line breaks. */
static int readField(FILE* in, char** buf, size_t* cap, size_t* len) {
    int c = getc(in);
    int quoted = c == '"';
    if (quoted)
        c = getc(in);
    *len = 0;
    for (;; c = getc(in)) {
        if (c == EOF)
            break;
        if (quoted && c == '"') {
            c = getc(in);
            if (c != '"') {
                quoted = 0;
                if (c == EOF)
                    break;
            }
        }
        if (!quoted && (c == ',' || c == '\n'))
            break;
        if (!quoted && c == '\r')
            continue;
        if (*len + 2 > *cap) {
            *cap = *cap * 2 + 64;
            *buf = realloc(*buf, *cap);
        }
        (*buf)[(*len)++] = (char)c;
    }
    if (*buf)
        (*buf)[*len] = '\0';
    return c;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s IN.csv OUT.xlsx TYPES\n", argv[0]);
        return 2;
    }
    const double start = nowMs();
    FILE* in = fopen(argv[1], "rb");
    if (!in)
        return 1;
    const char* types = argv[3];
    const size_t columns = strlen(types);
    char bom[3];
    if (fread(bom, 1, 3, in) != 3 || memcmp(bom, "\xEF\xBB\xBF", 3) != 0)
        rewind(in);

    lxw_workbook_options options = {.constant_memory = LXW_TRUE};
    lxw_workbook* book = workbook_new_opt(argv[2], &options);
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
    lxw_format* head = workbook_add_format(book);
    format_set_bold(head);
    lxw_format* text = workbook_add_format(book);
    format_set_num_format(text, "@");
    lxw_format* number = workbook_add_format(book);
    format_set_num_format(number, "#,##0.00");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");

    char* field = NULL;
    size_t cap = 0;
    size_t len = 0;
    lxw_row_t row = 0;
    lxw_col_t col = 0;
    for (;;) {
        const int end = readField(in, &field, &cap, &len);
        if (end == EOF && len == 0 && col == 0)
            break;
        if (len > 0 && col < columns) {
            if (row == 0) {
                worksheet_write_string(sheet, row, col, field, head);
            } else if (types[col] == 'n') {
                worksheet_write_number(sheet, row, col, strtod(field, NULL), number);
            } else if (types[col] == 'd' && len >= 10) {
                lxw_datetime d = {atoi(field), atoi(field + 5), atoi(field + 8), 0, 0, 0};
                worksheet_write_datetime(sheet, row, col, &d, date);
            } else {
                worksheet_write_string(sheet, row, col, field, text);
            }
        }
        if (end == ',') {
            ++col;
        } else {
            ++row;
            col = 0;
            if (end == EOF)
                break;
        }
    }
    fclose(in);
    free(field);
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        fprintf(stderr, "%s\n", lxw_strerror(closed));
        return 1;
    }
    printf("bare_xlsx_ms %.1f\n", nowMs() - start);
    return 0;
}
