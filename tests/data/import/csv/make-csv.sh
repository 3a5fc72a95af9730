#!/usr/bin/env bash
# Writes the delimited-text fixtures of the import tests as R and LibreOffice export them, and
# beside each one of plain data the same table as the program's own space-separated text
# (NAME.txt for NAME.csv or NAME.tsv: missing cells as -99, numbers with a decimal point; a
# table kept one column per group as the two columns group and value), so that a run of
# kwtest on both can be compared.
#
#   tests/data/import/csv/make-csv.sh      (needs Rscript, soffice and python3)
#
# The data: R's PlantGrowth with two weights missing ("plants"), the same one column per
# group ("wide"), and a small table of texts that need quoting ("tricky": separators, quotes,
# a line break and letters beyond ASCII in the cells, a blank in a name).
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

Rscript --vanilla - "$work" <<'EOF'
work <- commandArgs(trailingOnly = TRUE)[1]
plants <- PlantGrowth[, c("group", "weight")]
plants$group <- as.character(plants$group)
plants$weight[c(4, 17)] <- NA
write.csv(plants, "r-plants.csv", row.names = FALSE)
write.csv2(plants, "r-plants-csv2.csv", row.names = FALSE)
write.table(plants, "r-plants.tsv", sep = "\t", quote = FALSE, na = "", row.names = FALSE)
write.csv(plants, "r-plants-crlf.csv", row.names = FALSE, eol = "\r\n")
write.csv(plants, "r-plants-cr.csv", row.names = FALSE, eol = "\r")
write.csv(plants, "r-plants-utf16.csv", row.names = FALSE, fileEncoding = "UTF-16")
write.csv(plants, "r-plants-utf16le.csv", row.names = FALSE, fileEncoding = "UTF-16LE")
wide <- unstack(PlantGrowth)
wide$trt1[c(3, 9)] <- NA
write.csv2(wide, "r-wide.csv", row.names = FALSE, na = "")

tricky <- data.frame(group = c("M\u00fcller, \u00c4", "trt \"A\"", "two\nlines", "plain"),
                     "dose mg" = c(1.5, NA, -0.25, 1e-5), check.names = FALSE)
write.csv(tricky, "r-tricky-latin1.csv", row.names = FALSE, fileEncoding = "latin1")

# The sources of the LibreOffice exports: the plants with an English and a German number
# format (two decimals), and the tricky texts.
cell <- function(x) {
  if (is.na(x)) return("<table:table-cell/>")
  if (is.numeric(x)) {
    shown <- format(x, digits = 15)
    return(paste0('<table:table-cell table:style-name="n" office:value-type="float" office:value="',
                  shown, '"><text:p>', shown, "</text:p></table:table-cell>"))
  }
  x <- gsub("&", "&amp;", x, fixed = TRUE)
  x <- gsub("<", "&lt;", x, fixed = TRUE)
  paras <- paste0("<text:p>", strsplit(x, "\n", fixed = TRUE)[[1]], "</text:p>", collapse = "")
  paste0('<table:table-cell office:value-type="string">', paras, "</table:table-cell>")
}
fods <- function(path, frame, language, country) {
  rows <- c(paste0("<table:table-row>", paste(sapply(names(frame), cell), collapse = ""),
                   "</table:table-row>"),
            sapply(seq_len(nrow(frame)), function(i) {
              paste0("<table:table-row>",
                     paste(sapply(frame[i, ], cell), collapse = ""),
                     "</table:table-row>")
            }))
  writeLines(c('<?xml version="1.0" encoding="UTF-8"?>',
               paste0('<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" ',
                      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" ',
                      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" ',
                      'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" ',
                      'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" ',
                      'office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">'),
               '<office:styles>',
               sprintf('<number:number-style style:name="N1" number:language="%s" number:country="%s">', language, country),
               '<number:number number:decimal-places="2" number:min-integer-digits="1"/></number:number-style>',
               '<style:style style:name="n" style:family="table-cell" style:data-style-name="N1"/>',
               '</office:styles><office:body><office:spreadsheet><table:table table:name="data">',
               rows, '</table:table></office:spreadsheet></office:body></office:document>'),
             file.path(work, path), useBytes = TRUE)
}
fods("plants-en.fods", plants, "en", "US")
fods("plants-de.fods", plants, "de", "DE")
fods("tricky-de.fods", tricky, "de", "DE")
EOF

# LibreOffice: separator and text delimiter as character codes, then the character set
# (76 UTF-8, 1 Windows-1252, 65535 UTF-16 with a byte-order mark), then the first line.
export_csv() { # source options target
  soffice --headless -env:UserInstallation=file://"$work"/profile \
    --convert-to "csv:Text - txt - csv (StarCalc):$2" --outdir "$work/out" "$work/$1" >/dev/null 2>&1
  mv "$work/out/${1%.fods}.csv" "$3"
}
export_csv plants-en.fods 44,34,76,1 lo-plants.csv
export_csv plants-de.fods 59,34,76,1 lo-plants-semicolon.csv
export_csv plants-de.fods 9,34,65535,1 lo-plants-utf16.tsv
export_csv plants-de.fods 124,34,1,1 lo-plants-pipe-1252.csv
export_csv tricky-de.fods 59,34,1,1 lo-tricky-1252.csv
export_csv tricky-de.fods 44,34,76,1,,,true lo-tricky-quoted.csv

# The program's own text of each fixture of plain data, read here with Python's csv module.
python3 - <<'EOF'
import csv, io, re

def twin(name, encoding, delimiter, decimal, wide=False):
    with open(name, encoding=encoding, newline="") as f:
        rows = [r for r in csv.reader(f, delimiter=delimiter) if r]
    number = re.compile(r"^ *[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)? *$")
    def value(text):
        if text.strip() in ("", "NA"):
            return "-99"
        if decimal == "," and number.match(text.replace(",", ".", 1)) and "." not in text:
            return text.replace(",", ".")
        return text
    names, data = rows[0], rows[1:]
    if wide:
        data = [[names[k], value(r[k])] for k in range(len(names)) for r in data
                if value(r[k]) != "-99"]
        names = ["group", "value"]
    else:
        data = [[value(c) for c in r] for r in data]
    with open(name.rsplit(".", 1)[0] + ".txt", "w", encoding="ascii", newline="\n") as f:
        f.write(" ".join(names) + "\n")
        f.writelines(" ".join(r) + "\n" for r in data)

twin("r-plants.csv", "utf-8", ",", ".")
twin("r-plants-csv2.csv", "utf-8", ";", ",")
twin("r-plants.tsv", "utf-8", "\t", ".")
twin("r-plants-crlf.csv", "utf-8", ",", ".")
twin("r-plants-cr.csv", "utf-8", ",", ".")
twin("r-plants-utf16.csv", "utf-16", ",", ".")
twin("r-plants-utf16le.csv", "utf-16-le", ",", ".")
twin("r-wide.csv", "utf-8", ";", ",", wide=True)
twin("lo-plants.csv", "utf-8", ",", ".")
twin("lo-plants-semicolon.csv", "utf-8", ";", ",")
twin("lo-plants-utf16.tsv", "utf-16", "\t", ",")
twin("lo-plants-pipe-1252.csv", "cp1252", "|", ",")
EOF
