/* Writes xlsxwriter_merged.xlsx, a grade sheet as a marking system exports it:
 * a 说明 sheet first, then a merged title row, a blank row, a two-row header
 * (语文 and 数学 each over 分数 / 排名), 学号 as numbers in the format "0000",
 * classes as "初一(3)班", absences written three ways and a blank line.
 *
 *   cc make_xlsxwriter_sample.c -lxlsxwriter -o /tmp/mk && /tmp/mk
 */
#include <stdlib.h>
#include <xlsxwriter.h>

int main(void)
{
    lxw_workbook* wb = workbook_new("xlsxwriter_merged.xlsx");
    lxw_worksheet* notes = workbook_add_worksheet(wb, "说明");
    worksheet_write_string(notes, 0, 0, "本表由阅卷系统导出，缺考记为“缺考”。", NULL);
    worksheet_write_string(notes, 1, 0, "学号 语文 数学", NULL);

    lxw_worksheet* ws = workbook_add_worksheet(wb, "成绩");
    lxw_format* title = workbook_add_format(wb);
    format_set_bold(title);
    format_set_align(title, LXW_ALIGN_CENTER);
    lxw_format* id = workbook_add_format(wb);
    format_set_num_format(id, "0000");
    lxw_format* oneDecimal = workbook_add_format(wb);
    format_set_num_format(oneDecimal, "0.0");

    worksheet_merge_range(ws, 0, 0, 0, 8, "2024学年第一学期期中考试 初一年级成绩", title);
    worksheet_merge_range(ws, 2, 0, 3, 0, "学号", NULL);
    worksheet_merge_range(ws, 2, 1, 3, 1, "班级", NULL);
    worksheet_merge_range(ws, 2, 2, 3, 2, "姓  名", NULL);
    worksheet_merge_range(ws, 2, 3, 2, 4, "语文", NULL);
    worksheet_merge_range(ws, 2, 5, 2, 6, "数学", NULL);
    worksheet_merge_range(ws, 2, 7, 3, 7, "英语", NULL);
    worksheet_merge_range(ws, 2, 8, 3, 8, "总分", NULL);
    worksheet_write_string(ws, 3, 3, "分数", NULL);
    worksheet_write_string(ws, 3, 4, "排名", NULL);
    worksheet_write_string(ws, 3, 5, "分数", NULL);
    worksheet_write_string(ws, 3, 6, "排名", NULL);

    struct {
        int id;
        const char* cls;
        const char* name;
        const char* chinese; /* text cells: numbers are written as numbers */
        const char* maths;
        const char* english;
    } rows[] = {
        {101, "初一(3)班", "张　三", "95", "88.5", "缺考"},
        {102, "初一(3)班", "李四", "缺考", "72", "90"},
        {0, 0, 0, 0, 0, 0}, /* a blank line between the classes */
        {1201, "初一(12)班", "王五", "", "/", "86"},
        {1202, "初一(12)班", "Li Ming", "0", "100", "64"},
    };
    int r = 4;
    for (unsigned i = 0; i < sizeof rows / sizeof rows[0]; ++i, ++r) {
        if (!rows[i].id)
            continue;
        worksheet_write_number(ws, r, 0, rows[i].id, id);
        worksheet_write_string(ws, r, 1, rows[i].cls, NULL);
        worksheet_write_string(ws, r, 2, rows[i].name, NULL);
        const char* marks[] = {rows[i].chinese, rows[i].maths, rows[i].english};
        const int cols[] = {3, 5, 7};
        for (int m = 0; m < 3; ++m) {
            char* end;
            double v = strtod(marks[m], &end);
            if (*marks[m] && !*end)
                worksheet_write_number(ws, r, cols[m], v, m == 1 ? oneDecimal : NULL);
            else if (*marks[m])
                worksheet_write_string(ws, r, cols[m], marks[m], NULL);
        }
        worksheet_write_number(ws, r, 4, i + 1, NULL);
        worksheet_write_number(ws, r, 6, i + 1, NULL);
        worksheet_write_formula_num(ws, r, 8, "=D5+F5+H5", NULL, 200);
    }
    return workbook_close(wb) == LXW_NO_ERROR ? 0 : 1;
}
