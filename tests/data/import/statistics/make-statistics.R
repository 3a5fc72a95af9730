# Makes the SPSS and Stata files the statistics-file reader is tested on, with haven
# (Debian: r-cran-haven). Run from this folder: Rscript make-statistics.R
library(haven)

score <- c(4.17, 5.58, -9, NA, 995, 0.00225, 1e10, 1.23456789012345678)
group <- c(1, 2, 3, 1, 2, 3, 4, 1)
count <- c(12, 7, 3, 5, 0, -4, 1000000, 2)
name <- c("ann", "bob", "", "cy", "dee", "eve", "fay", "gus")

# SPSS: a labelled grouping variable (4 has no label), user-missing values (-9, and the range
# 990 to 999), a system-missing value, an empty string.
spss <- data.frame(
  group = labelled_spss(group, labels = c(control = 1, low = 2, high = 3)),
  score = labelled_spss(score, na_values = -9, na_range = c(990, 999)),
  count = count,
  name = name
)
write_sav(spss, "groups.sav")
write_sav(spss, "groups.zsav", compress = TRUE)

# Stata 14: the same data with the user-missing values as tagged missing values (.a, .b).
stata_score <- score
stata_score[3] <- tagged_na("a")
stata_score[5] <- tagged_na("b")
stata <- data.frame(
  group = labelled(as.integer(group), labels = c(control = 1L, low = 2L, high = 3L)),
  score = stata_score,
  count = count,
  name = name
)
write_dta(stata, "groups.dta", version = 14)

# Labels of every kind: a string variable with value labels, texts beyond ASCII, a label
# with blanks.
labels <- data.frame(
  code = labelled(c("m", "f", "x", "f"), labels = c(male = "m", female = "f")),
  dose = labelled_spss(c(1, 2, 1, 9), labels = c("low dose" = 1, "Ä ü – 名" = 2, unknown = 9),
                       na_values = 9),
  text = c("Ä ü – 名", "a b", " ", "z")
)
write_sav(labels, "labels.sav")

# A larger file to cut short (damaged/cut.sav and damaged/cut.dta are made from these).
set.seed(1)
n <- 1000
many <- data.frame(a = round(rnorm(n), 6), b = seq_len(n), c = round(runif(n), 6))
write_sav(many, "many.sav", compress = "none")
write_dta(many, "many.dta", version = 14)

# Damaged files: cut in the data, cut before the labels at the end, cut in the header, and a
# file of another kind under an SPSS name.
dir.create("damaged", showWarnings = FALSE)
cut <- function(from, to, keep) {
  bytes <- readBin(from, "raw", file.size(from))
  writeBin(bytes[seq_len(keep(length(bytes)))], to)
}
cut("many.sav", "damaged/cut.sav", function(n) n %/% 2)
cut("many.dta", "damaged/cut.dta", function(n) n %/% 2)
cut("groups.dta", "damaged/no-end.dta", function(n) n - 20)
cut("groups.sav", "damaged/header.sav", function(n) 100)
writeBin(as.raw(c(0x50, 0x4b, 0x03, 0x04, rep(0, 60))), "damaged/zip.sav")
