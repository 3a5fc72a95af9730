#!/usr/bin/env bash
# Makes the workbooks the workbook reader is tested on. Run from this folder:
#   ./make-workbooks.sh
# LibreOffice turns the flat ODS sources into .xlsx and .ods (books, offset); R's openxlsx
# writes a workbook the way R users make them (booleans, dates with a custom format, NA);
# inline strings, as streaming writers produce them, and the damaged files are made by hand.
set -euo pipefail
profile="file:///tmp/kw-make-workbooks-profile"
for book in books offset; do
  for kind in xlsx ods; do
    soffice --headless -env:UserInstallation="$profile" --convert-to "$kind" "$book.fods" >/dev/null
  done
done

Rscript - <<'R'
library(openxlsx)
df <- data.frame(group = c("a", "a", "b", "b", NA), value = c(1.5, NA, 2.25, -3, 1e10),
                 flag = c(TRUE, FALSE, NA, TRUE, FALSE),
                 day = as.Date(c("2024-03-15", "2023-12-31", NA, "1900-03-01", "2024-02-29")))
write.xlsx(df, "openxlsx.xlsx")
R

python3 - <<'PY'
import zipfile

def book(path, sheet, shared=None):
    main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        types = ('<?xml version="1.0" encoding="UTF-8"?>'
                 '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                 '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                 '<Default Extension="xml" ContentType="application/xml"/>'
                 '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
                 '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>')
        if shared is not None:
            types += '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/>'
        z.writestr("[Content_Types].xml", types + "</Types>")
        z.writestr("_rels/.rels",
                   '<?xml version="1.0" encoding="UTF-8"?>'
                   '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="' + rel + '/officeDocument" Target="xl/workbook.xml"/>'
                   '</Relationships>')
        z.writestr("xl/workbook.xml",
                   '<?xml version="1.0" encoding="UTF-8"?>'
                   '<workbook xmlns="' + main + '" xmlns:r="' + rel + '">'
                   '<sheets><sheet name="Streamed" sheetId="1" r:id="rId1"/></sheets></workbook>')
        rels = ('<?xml version="1.0" encoding="UTF-8"?>'
                '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                '<Relationship Id="rId1" Type="' + rel + '/worksheet" Target="worksheets/sheet1.xml"/>')
        if shared is not None:
            rels += '<Relationship Id="rId2" Type="' + rel + '/sharedStrings" Target="sharedStrings.xml"/>'
            z.writestr("xl/sharedStrings.xml",
                       '<?xml version="1.0" encoding="UTF-8"?><sst xmlns="' + main + '">' +
                       "".join("<si><t>%s</t></si>" % s for s in shared) + "</sst>")
        z.writestr("xl/_rels/workbook.xml.rels", rels + "</Relationships>")
        z.writestr("xl/worksheets/sheet1.xml",
                   '<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="' + main + '"><sheetData>' +
                   sheet + "</sheetData></worksheet>")

def inline(ref, text):
    return '<c r="%s" t="inlineStr"><is><t>%s</t></is></c>' % (ref, text)

# Only inline strings, no shared-strings part (libxlsxwriter's constant-memory mode).
book("inline.xlsx",
     '<row r="1">' + inline("A1", "group") + inline("B1", "value") + "</row>"
     '<row r="2">' + inline("A2", "a &amp; b") + '<c r="B2"><v>1.5</v></c></row>'
     '<row r="3">' + inline("A3", "c") + '<c r="B3"><v>2</v></c></row>')
# Inline strings beside shared ones, one of them in rich-text runs.
book("mixed.xlsx",
     '<row r="1"><c r="A1" t="s"><v>0</v></c>' + inline("B1", "value") + "</row>"
     '<row r="2"><c r="A2" t="s"><v>1</v></c>'
     '<c r="B2" t="inlineStr"><is><r><t>x</t></r><r><t xml:space="preserve"> y</t></r></is></c></row>'
     '<row r="3">' + inline("A3", "ü") + '<c r="B3" t="inlineStr"><is/></c></row>',
     shared=["group", "shared"])

# Damaged and disguised files.
with zipfile.ZipFile("damaged/not-a-workbook.xlsx", "w") as z:
    z.writestr("readme.txt", "a zip archive, but no workbook\n")
data = open("books.xlsx", "rb").read()
open("damaged/cut.xlsx", "wb").write(data[: len(data) // 2])
open("damaged/text.xlsx", "w").write("group value\na 1\n")
open("damaged/ods-named.xlsx", "wb").write(open("books.ods", "rb").read())
PY

# What orcus on its own reads wrongly in an .ods, written by hand as other producers write it:
# a row repeated with its cells, a merged cell with the cell it covers, runs of blanks, times
# and currencies. LibreOffice makes the .xlsx that must read the same.
python3 - <<'PY'
import zipfile
cell = lambda attrs, text="": ('<table:table-cell %s><text:p>%s</text:p></table:table-cell>' % (attrs, text))
string = lambda text: cell('office:value-type="string"', text)
rows = [
    '<table:table-row>' + string("group") + string("value") + string("when") + string("price") + string("note") + '</table:table-row>',
    '<table:table-row table:number-rows-repeated="3">' + string("a") + cell('office:value-type="float" office:value="1.5"', "1.5")
    + cell('table:style-name="time" office:value-type="time" office:time-value="PT13H45M30S"', "13:45:30")
    + cell('office:value-type="currency" office:currency="EUR" office:value="2.5"', "2.50 €")
    + '<table:table-cell office:value-type="string"><text:p>x<text:s text:c="2"/>y</text:p></table:table-cell></table:table-row>',
    '<table:table-row><table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="1" office:value-type="string"><text:p>b</text:p></table:table-cell>'
    + '<table:covered-table-cell office:value-type="float" office:value="7"><text:p>7</text:p></table:covered-table-cell>'
    + cell('table:style-name="time" office:value-type="time" office:time-value="PT10H"', "10:00:00")
    + cell('office:value-type="currency" office:currency="EUR" office:value="3"', "3.00 €") + string("z") + '</table:table-row>',
    '<table:table-row>' + string("c") + cell('office:value-type="float" office:value="2"', "2")
    + cell('table:style-name="time" office:value-type="time" office:time-value="PT0H0M1S"', "00:00:01")
    + cell('office:value-type="currency" office:currency="EUR" office:value="4"', "4.00 €") + string("w") + '</table:table-row>',
]
content = ('<?xml version="1.0" encoding="UTF-8"?>'
           '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"'
           ' xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"'
           ' xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"'
           ' xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"'
           ' xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" office:version="1.2">'
           '<office:automatic-styles><number:time-style style:name="N1"><number:hours number:style="long"/>'
           '<number:text>:</number:text><number:minutes number:style="long"/><number:text>:</number:text>'
           '<number:seconds number:style="long"/></number:time-style>'
           '<style:style style:name="time" style:family="table-cell" style:data-style-name="N1"/>'
           '</office:automatic-styles><office:body><office:spreadsheet><table:table table:name="Features">'
           + "".join(rows) + '</table:table></office:spreadsheet></office:body></office:document-content>')
manifest = ('<?xml version="1.0" encoding="UTF-8"?>'
            '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">'
            '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
            '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
            '</manifest:manifest>')
with zipfile.ZipFile("features.ods", "w") as z:
    z.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet")
    z.writestr("META-INF/manifest.xml", manifest, zipfile.ZIP_DEFLATED)
    z.writestr("content.xml", content, zipfile.ZIP_DEFLATED)
PY
soffice --headless -env:UserInstallation="$profile" --convert-to xlsx features.ods >/dev/null
