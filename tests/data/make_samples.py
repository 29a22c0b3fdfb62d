#!/usr/bin/python3
"""Writes the import test's sample files into this folder (they are committed;
run again only to change them). Needs Debian's python3-openpyxl and python3-xlwt.
The libxlsxwriter sample has its own generator, make_xlsxwriter_sample.c;
the LibreOffice samples are that workbook saved again by LibreOffice Calc 7.4
(Debian libreoffice-calc-nogui):

    libreoffice --headless --convert-to xls xlsxwriter_merged.xlsx
    libreoffice --headless --convert-to "xlsx:Calc MS Excel 2007 XML" --outdir lo xlsxwriter_merged.xlsx

    cd tests/data && /usr/bin/python3 make_samples.py
"""
import datetime
import struct
import zipfile

import openpyxl
import openpyxl.utils.datetime
import xlwt


def openpyxl_synonyms():
    """Synonym headers, 学号 as text with leading zeros, classes written every
    way, absences, bad values, a date column and a 说明 sheet after the grades."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "期中成绩"
    ws.append(["考号", "班别", "学生姓名", "语", "数", "英", "道德与法治", "物理成绩", "化学",
               "理综", "总分", "班排", "考试日期"])
    rows = [
        ["00123", "7班", "赵一", 91, 85.5, 77, 80, 60, 55, 120, 568.5, 1, datetime.date(2024, 11, 6)],
        ["00124", "初一7班", "钱二", " 缺考 ", 90, "缺", 71, 52, 48, 101, 0, 2, datetime.date(2024, 11, 6)],
        ["00125", "七(7)", "孙三", 66, "／", 58, "八十", 70, 61, 99, 0, 3, datetime.date(2024, 11, 6)],
        ["00126", "７", "李四", 73, -5, 81, 69, 45, 50, 97, 0, 4, datetime.date(2024, 11, 6)],
        ["00127", "19班", "周五", 88, 92, 90, 85, 66, 70, 130, 0, 5, datetime.date(2024, 11, 6)],
    ]
    for r in rows:
        ws.append(r)
    for row in ws.iter_rows(min_row=2, min_col=13, max_col=13):
        for c in row:
            c.number_format = "yyyy-mm-dd"
    notes = wb.create_sheet("说明")
    notes["A1"] = "道德与法治即政治；理综计入综合。"
    wb.save("openpyxl_synonyms.xlsx")


def openpyxl_numbers():
    """学号 kept as numbers with a format of leading zeros, and a second
    student sheet; written with the workbook's date system of 1904."""
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = "Sheet1"
    wb.epoch = openpyxl.utils.datetime.CALENDAR_MAC_1904
    ws.append(["学号", "班号", "姓名", "语文", "数学", "英语", "日期"])
    for i, (cls, name, a, b, c) in enumerate([(1, "甲", 90, 80, 70), (1, "乙", 60.25, 0, 100),
                                              (2, "丙", 59.5, 61, 99)]):
        ws.append([7 + i, cls, name, a, b, c, datetime.date(2024, 3, 1)])
    for row in ws.iter_rows(min_row=2, max_col=1):
        for c in row:
            c.number_format = "000000"
    for row in ws.iter_rows(min_row=2, min_col=7, max_col=7):
        for c in row:
            c.number_format = "yyyy-mm-dd"
    wb.save("openpyxl_numbers.xlsx")


HAND_CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>
<Override PartName="/xl/worksheets/grades.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
<Override PartName="/xl/worksheets/notes.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>
</Types>"""

HAND_ROOT_RELS = """<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="/xl/workbook.xml"/>
</Relationships>"""

# The x: prefix on every element, sheets listed out of their part order, one
# target absolute and one relative.
HAND_WORKBOOK = """<?xml version="1.0" encoding="UTF-8"?>
<x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
 xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">
<x:sheets>
<x:sheet name="成绩单" sheetId="2" r:id="rIdB"/>
<x:sheet name="说明" sheetId="1" r:id="rIdA"/>
</x:sheets>
</x:workbook>"""

HAND_WORKBOOK_RELS = """<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rIdA" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/notes.xml"/>
<Relationship Id="rIdB" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/grades.xml"/>
</Relationships>"""

# Inline strings only (no sharedStrings.xml, no styles.xml): a rich-text name
# in two runs, a phonetic reading that is not shown, cells without
# references, a gap, a boolean, an error value and a line break as _x000A_.
HAND_GRADES = """<?xml version="1.0" encoding="UTF-8"?>
<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<x:sheetData>
<x:row r="1"><x:c r="A1" t="inlineStr"><x:is><x:t>初一年级 成绩单</x:t></x:is></x:c></x:row>
<x:row r="2">
<x:c t="inlineStr"><x:is><x:t>学 号</x:t></x:is></x:c>
<x:c t="inlineStr"><x:is><x:t>班号</x:t></x:is></x:c>
<x:c t="inlineStr"><x:is><x:t>姓名</x:t></x:is></x:c>
<x:c t="inlineStr"><x:is><x:r><x:rPr><x:b/></x:rPr><x:t>语</x:t></x:r><x:r><x:t>文</x:t></x:r></x:is></x:c>
<x:c r="F2" t="inlineStr"><x:is><x:t>数学</x:t></x:is></x:c>
<x:c r="G2" t="inlineStr"><x:is><x:t>备注</x:t></x:is></x:c>
</x:row>
<x:row r="3">
<x:c r="A3" t="inlineStr"><x:is><x:t>0301</x:t></x:is></x:c>
<x:c r="B3"><x:v>3</x:v></x:c>
<x:c r="C3" t="inlineStr"><x:is><x:r><x:rPr><x:b/></x:rPr><x:t>欧阳</x:t></x:r><x:r><x:t xml:space="preserve">小明</x:t></x:r><x:rPh sb="0" eb="2"><x:t>オウヨウ</x:t></x:rPh></x:is></x:c>
<x:c r="D3"><x:v>88</x:v></x:c>
<x:c r="F3" t="str"><x:f>50+42.5</x:f><x:v>92.5</x:v></x:c>
<x:c r="G3" t="b"><x:v>1</x:v></x:c>
</x:row>
<x:row r="5">
<x:c r="A5" t="inlineStr"><x:is><x:t>0302</x:t></x:is></x:c>
<x:c r="B5"><x:v>3</x:v></x:c>
<x:c r="C5" t="inlineStr"><x:is><x:t>林_x000A_一</x:t></x:is></x:c>
<x:c r="D5" t="e"><x:v>#DIV/0!</x:v></x:c>
<x:c r="F5" t="inlineStr"><x:is><x:t>缺考</x:t></x:is></x:c>
</x:row>
</x:sheetData>
</x:worksheet>"""

HAND_NOTES = """<?xml version="1.0" encoding="UTF-8"?>
<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<x:sheetData><x:row r="1"><x:c r="A1" t="inlineStr"><x:is><x:t>手写的工作簿</x:t></x:is></x:c></x:row></x:sheetData>
</x:worksheet>"""


def handwritten():
    with zipfile.ZipFile("handwritten_inline.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", HAND_CONTENT_TYPES)
        z.writestr("_rels/.rels", HAND_ROOT_RELS)
        z.writestr("xl/workbook.xml", HAND_WORKBOOK)
        z.writestr("xl/_rels/workbook.xml.rels", HAND_WORKBOOK_RELS)
        z.writestr("xl/worksheets/grades.xml", HAND_GRADES)
        z.writestr("xl/worksheets/notes.xml", HAND_NOTES)


def csv_files():
    # What Excel on a Chinese Windows saves as "CSV (逗号分隔)": GBK, CRLF,
    # a title line above the header.
    gbk = ("初一年级期中成绩,,,,\r\n"
           "学号,班级,姓名,语文,数学\r\n"
           "0101,初一(1)班,张三,95,缺考\r\n"
           "0102,初一(1)班,欧阳娜娜,,88\r\n")
    with open("gbk.csv", "wb") as f:
        f.write(gbk.encode("gbk"))
    # "CSV UTF-8": a byte-order mark, semicolons, a header cell with a line
    # break in its quotes, a name with doubled quotes, an empty line.
    utf8 = ('学号;班号;姓名;"英语\n（120分）";物理\n'
            '0201;2;李小红;88;\n'
            '\n'
            '0202;2;"Wang ""Gang""";/;79.5\n')
    with open("utf8_bom.csv", "wb") as f:
        f.write(b"\xef\xbb\xbf" + utf8.encode("utf-8"))
    # Tab-separated text, as copied out of a marking system.
    with open("tabs.txt", "wb") as f:
        f.write("学号\t班号\t姓名\t化学\r\n0301\t3\t陈一\t67\r\n".encode("utf-8"))


def xls_file():
    """Excel 97-2003 workbook: 学号 as text, marks as numbers, 缺考."""
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("成绩")
    for c, h in enumerate(["学号", "班级", "姓名", "语文", "数学"]):
        ws.write(1, c, h)
    ws.write(0, 0, "初一(5)班 期末")
    for r, row in enumerate([["0501", "初一(5)班", "吴六", 81, 79.5], ["0502", "初一(5)班", "郑七", "缺考", 90]]):
        for c, v in enumerate(row):
            ws.write(2 + r, c, v)
    wb.add_sheet("说明").write(0, 0, "期末考试")
    wb.save("xlwt.xls")


def compound_file(path, streams):
    """An OLE compound file (the container of .xls, .doc and of encrypted
    .xlsx) holding the given streams, each at least 4096 bytes so that all
    live in regular sectors."""
    sector = 512
    data_sectors = []
    chains = []
    next_sector = 2  # 0: directory, 1: FAT
    for name, body in streams:
        body = body.ljust(max(4096, len(body)), b"\0")
        n = (len(body) + sector - 1) // sector
        chains.append((name, next_sector, len(body)))
        data_sectors.append(body.ljust(n * sector, b"\0"))
        next_sector += n
    fat = [0xFFFFFFFE, 0xFFFFFFFD]
    for name, start, size in chains:
        n = (size + sector - 1) // sector
        fat += [start + i + 1 for i in range(n - 1)] + [0xFFFFFFFE]
    fat += [0xFFFFFFFF] * (sector // 4 - len(fat))

    def entry(name, kind, left, right, child, start, size):
        encoded = (name + "\0").encode("utf-16-le")
        return (encoded.ljust(64, b"\0") + struct.pack("<HBB", len(encoded), kind, 1)
                + struct.pack("<III", left, right, child) + b"\0" * 16 + b"\0" * 4 + b"\0" * 16
                + struct.pack("<IQ", start, size))

    none = 0xFFFFFFFF
    entries = [entry("Root Entry", 5, none, none, 1, 0xFFFFFFFE, 0)]
    for i, (name, start, size) in enumerate(chains):
        right = i + 2 if i + 1 < len(chains) else none
        entries.append(entry(name, 2, none, right, none, start, size))
    directory = b"".join(entries).ljust(sector, b"\0")
    header = (b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
              + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
              + struct.pack("<IIIIIIIII", 0, 1, 0, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0)
              + struct.pack("<I", 1) + struct.pack("<I", 0xFFFFFFFF) * 108)
    with open(path, "wb") as f:
        f.write(header + directory + struct.pack("<%dI" % len(fat), *fat) + b"".join(data_sectors))


def wrong_kinds():
    # What Excel writes for a workbook with an opening password, whatever its
    # extension: a compound file holding the encrypted package.
    compound_file("encrypted.xlsx", [("EncryptionInfo", b"\x04\x00\x04\x00\x40\x00\x00\x00"),
                                     ("EncryptedPackage", b"\x00" * 8)])
    # A Word document given an .xls name.
    compound_file("word_document.xls", [("WordDocument", b"\xEC\xA5\xC1\x00")])


def marks_by_name():
    """Marks of an examination sorted by name, as a marking system hands them
    out: 考号 and 班级 as it writes them, shared strings, a 总分 column, a
    blank mark and 缺考; the students are those of xlsxwriter_merged.xlsx."""
    rows = [["考号", "班级", "姓名", "语文", "数学", "英语", "总分"],
            ["1202", "初一(12)班", "Li Ming", 71, "缺考", 118, 189],
            ["0102", "初一(3)班", "李四", 82, 92, None, 174],
            ["1201", "初一(12)班", "王五", 63, 73.5, 83, 219.5],
            ["0101", "初一(3)班", "张三", 94, 54, 84, 232]]
    strings = []
    xml_rows = []
    for r, row in enumerate(rows, 1):
        cells = []
        for c, v in enumerate(row):
            ref = "ABCDEFG"[c] + str(r)
            if v is None:
                continue
            if isinstance(v, str):
                if v not in strings:
                    strings.append(v)
                cells.append('<c r="%s" t="s"><v>%d</v></c>' % (ref, strings.index(v)))
            else:
                cells.append('<c r="%s"><v>%s</v></c>' % (ref, v))
        xml_rows.append('<row r="%d">%s</row>' % (r, "".join(cells)))
    main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    sheet = ('<?xml version="1.0" encoding="UTF-8"?>\n<worksheet xmlns="%s"><sheetData>%s</sheetData></worksheet>'
             % (main, "".join(xml_rows)))
    shared = ('<?xml version="1.0" encoding="UTF-8"?>\n<sst xmlns="%s" count="%d" uniqueCount="%d">%s</sst>'
              % (main, len(strings), len(strings), "".join("<si><t>%s</t></si>" % t for t in strings)))
    types = ('<?xml version="1.0" encoding="UTF-8"?>\n'
             '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
             '<Default Extension="xml" ContentType="application/xml"/>'
             '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
             '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
             '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
             '</Types>')
    workbook = ('<?xml version="1.0" encoding="UTF-8"?>\n<workbook xmlns="%s" '
                'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
                '<sheets><sheet name="期中" sheetId="1" r:id="rId1"/></sheets></workbook>' % main)
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
    workbook_rels = ('<?xml version="1.0" encoding="UTF-8"?>\n'
                     '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                     '<Relationship Id="rId1" Type="%sworksheet" Target="worksheets/sheet1.xml"/>'
                     '<Relationship Id="rId2" Type="%ssharedStrings" Target="sharedStrings.xml"/>'
                     '</Relationships>' % (rel, rel))
    with zipfile.ZipFile("marks_by_name.xlsx", "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml", types)
        z.writestr("_rels/.rels", HAND_ROOT_RELS)
        z.writestr("xl/workbook.xml", workbook)
        z.writestr("xl/_rels/workbook.xml.rels", workbook_rels)
        z.writestr("xl/worksheets/sheet1.xml", sheet)
        z.writestr("xl/sharedStrings.xml", shared)


if __name__ == "__main__":
    openpyxl_synonyms()
    openpyxl_numbers()
    handwritten()
    csv_files()
    xls_file()
    wrong_kinds()
    marks_by_name()
