# Reference values for tests/core/pairwise_test.cpp, padjust_test.cpp and letters_test.cpp:
# the pairwise comparisons after the Kruskal-Wallis test written out from their formulas with
# R's own distribution functions (pnorm, pt, ptukey), Dunn's also through rstatix::dunn_test,
# p.adjust for every method it knows (Sidak and Holm-Sidak from their formulas), and
# multcompView::multcompLetters for the letters. Run from the repository root (the packages
# come from scripts/install-deps --reference):
#
#   Rscript tests/reference/pairwise.R
#
# It prints C++ initialisers. Groups and pairs are numbered from 0 in the groups' order (the
# byte order of their names, which R's factor levels follow for these names); every statistic
# is positive when the first group ranks higher.
suppressPackageStartupMessages({
  library(rstatix)
  library(multcompView)
})

num <- function(x) sprintf("%.17g", x)
row <- function(...) cat("    {", paste(..., sep = ", "), "},\n", sep = "")

tieSizes <- function(x) rle(sort(x))$lengths

# The pairs: all of them in order (1,2), (1,3), ..., (2,3), ...; or each against a control.
allPairs <- function(k) t(combn(k, 2))
controlPairs <- function(k, control) cbind(control, setdiff(seq_len(k), control))

# One data set, one method: first, second, statistic, p, p adjusted (Holm over the pairs
# compared), the difference of the mean ranks of the whole ranking, and Dunn's r = z / sqrt(N).
compare <- function(x, g, method, pairs) {
  g <- factor(g)
  k <- nlevels(g)
  r <- rank(x)
  N <- length(x)
  n <- as.vector(tapply(r, g, length))
  Rbar <- as.vector(tapply(r, g, mean))
  ties <- sum(tieSizes(x)^3 - tieSizes(x))
  H <- unname(kruskal.test(x, g)$statistic)
  S2 <- (sum(r^2) - N * (N + 1)^2 / 4) / (N - 1)
  out <- NULL
  for (row in seq_len(nrow(pairs))) {
    i <- pairs[row, 1]
    j <- pairs[row, 2]
    difference <- Rbar[i] - Rbar[j]
    effect <- NA
    if (method == "dunn") {
      statistic <- difference /
        sqrt((N * (N + 1) / 12 - ties / (12 * (N - 1))) * (1 / n[i] + 1 / n[j]))
      p <- 2 * pnorm(-abs(statistic))
      effect <- statistic / sqrt(N)
    } else if (method == "conover") {
      statistic <- difference / sqrt(S2 * (N - 1 - H) / (N - k) * (1 / n[i] + 1 / n[j]))
      p <- 2 * pt(-abs(statistic), N - k)
    } else {
      xi <- x[g == levels(g)[i]]
      xj <- x[g == levels(g)[j]]
      both <- c(xi, xj)
      s <- length(both)
      W <- sum(rank(both)[seq_along(xi)])
      t <- tieSizes(both)
      statistic <- sqrt(2) * (W - n[i] * (s + 1) / 2) /
        sqrt(n[i] * n[j] / (s * (s - 1)) * ((s^3 - s) / 12 - sum(t^3 - t) / 12))
      p <- ptukey(abs(statistic), k, Inf, lower.tail = FALSE)
    }
    out <- rbind(out, data.frame(first = i - 1, second = j - 1, statistic = statistic, p = p,
                                 difference = difference, r = effect))
  }
  # DSCF's p already holds for the family.
  out$adjusted <- if (method == "dscf") out$p else p.adjust(out$p, "holm")
  out
}

show <- function(name, x, g, method, pairs) {
  out <- compare(x, g, method, pairs)
  cat(sprintf("// %s, %s: first, second, statistic, p, p adjusted, mean rank difference, r\n",
              name, method))
  for (i in seq_len(nrow(out))) {
    row(out$first[i], out$second[i], num(out$statistic[i]), num(out$p[i]),
        num(out$adjusted[i]), num(out$difference[i]),
        if (is.na(out$r[i])) "none" else num(out$r[i]))
  }
  invisible(out)
}

# Dunn's z through rstatix (its statistic is second minus first) beside the formula.
checkRstatix <- function(name, x, g) {
  ours <- compare(x, g, "dunn", allPairs(nlevels(factor(g))))
  theirs <- dunn_test(data.frame(x = x, g = factor(g)), x ~ g, p.adjust.method = "holm")
  relative <- function(a, b) max(abs(a - b) / pmax(abs(b), 1e-300))
  cat(sprintf("// rstatix::dunn_test on %s: largest relative difference z %.3g, p %.3g, holm %.3g\n",
              name, relative(-theirs$statistic, ours$statistic), relative(theirs$p, ours$p),
              relative(theirs$p.adj, ours$adjusted)))
}

pg <- read.table("examples/plantgrowth.txt", header = TRUE)
is <- read.table("examples/insectsprays.txt", header = TRUE)
aq <- read.table("examples/airquality.txt", header = TRUE, na.strings = "-99")
aq <- aq[!is.na(aq$Ozone), ]
# Five answers of a Likert item, heavily tied.
likert <- list(
  a = c(1, 2, 2, 3, 3, 3, 4, 5, 2, 3),
  b = c(3, 4, 4, 5, 5, 4, 4, 5, 3, 4, 5, 5),
  c = c(1, 1, 2, 1, 2, 2, 3, 1),
  d = c(3, 3, 3, 3, 4, 3, 2, 3, 3)
)
lx <- unlist(likert, use.names = FALSE)
lg <- rep(names(likert), lengths(likert))

cat("// ---- pairwise comparisons ----\n")
sets <- list(plantgrowth = list(pg$weight, pg$group), insectsprays = list(is$count, is$spray),
             airquality = list(aq$Ozone, aq$Month), likert = list(lx, lg))
for (name in names(sets)) {
  x <- sets[[name]][[1]]
  g <- sets[[name]][[2]]
  for (method in c("dunn", "conover", "dscf")) {
    show(name, x, g, method, allPairs(nlevels(factor(g))))
  }
  checkRstatix(name, x, g)
}
cat("// ---- against a control ----\n")
show("plantgrowth, control ctrl", pg$weight, pg$group, "dunn", controlPairs(3, 1))
show("insectsprays, control C", is$count, is$spray, "dunn", controlPairs(6, 3))
show("insectsprays, control C", is$count, is$spray, "conover", controlPairs(6, 3))

cat("// ---- p.adjust ----\n")
sidak <- function(p) pmin(1, -expm1(length(p) * log1p(-p)))
holmSidak <- function(p) {
  n <- length(p)
  o <- order(p)
  pmin(1, cummax(-expm1((n + 1 - seq_len(n)) * log1p(-p[o]))))[order(o)]
}
adjustAll <- function(name, p) {
  cat(sprintf("// %s\n", name))
  cat("    {", paste(num(p), collapse = ", "), "},\n", sep = "")
  for (method in c("none", "bonferroni", "sidak", "holm", "holm-sidak", "hochberg", "hommel",
                   "BH", "BY")) {
    a <- switch(method, sidak = if (length(p) > 1) sidak(p) else p,
                `holm-sidak` = if (length(p) > 1) holmSidak(p) else p, p.adjust(p, method))
    cat(sprintf("    {\"%s\", {%s}},\n", tolower(method), paste(num(a), collapse = ", ")))
  }
}
adjustAll("ties, zeros, ones, a tiny p", c(0.01, 0, 0.04, 0.01, 1, 0.002, 0.04, 0.3, 1, 4e-4,
                                           0.5, 0.04, 1e-300, 0.9999999, 0.02))
adjustAll("a family of one", c(0.03))
adjustAll("a family of two", c(0.03, 0.02))
adjustAll("a family of three", c(0.04, 0.01, 0.03))

# A long family, as the pairs of many groups give it: Hommel's n log n way against R's loop.
# p_i = x^6 / 16, x = floor(v_i / 3) / 2002, v_i = 7919 i mod 6007: ties, zeros, many small
# values. Sums (in long double, as R sums) stand for all entries: sum a_i and sum i a_i.
longFamily <- function(n) {
  v <- (seq_len(n) * 7919) %% 6007
  x <- (v %/% 3) / 2002
  x * x * x * x * x * x / 16
}
for (n in c(500, 6000)) {
  a <- p.adjust(longFamily(n), "hommel")
  at <- seq(1, n, by = 97)
  cat(sprintf("// long family of %d, hommel: sums %s, %s; entries (0-based index, value)\n", n,
              num(sum(a)), num(sum(a * seq_len(n)))))
  cat(paste(sprintf("    {%d, %s},", at - 1, num(a[at])), collapse = "\n"), "\n")
}

cat("// ---- letters ----\n")
letters1 <- function(name, k, differing) {
  levels <- sprintf("g%02d", seq_len(k))
  x <- rep(FALSE, k * (k - 1) / 2)
  names(x) <- apply(allPairs(k), 1, function(ij) paste(levels[ij], collapse = "-"))
  for (d in differing) {
    x[paste(levels[sort(d)], collapse = "-")] <- TRUE
  }
  out <- multcompLetters(x)$Letters
  cat(sprintf("// %s\n    {%s},\n", name, paste0("\"", out[levels], "\"", collapse = ", ")))
}
letters1("none differ", 4, list())
letters1("all differ", 5, combn(5, 2, simplify = FALSE))
letters1("a chain", 5, list(c(1, 3), c(1, 4), c(1, 5), c(2, 4), c(2, 5), c(3, 5)))
letters1("a gap", 4, list(c(1, 4), c(2, 4)))
# Twelve groups, pairs apart by more than 3 or with i j = 1 (mod 7) differ: overlapping letters.
twelve <- Filter(function(d) abs(d[1] - d[2]) > 3 || (d[1] * d[2]) %% 7 == 1,
                 combn(12, 2, simplify = FALSE))
letters1("twelve groups", 12, twelve)
# Past z: sixty groups, all different.
letters1("sixty groups, all differ", 60, combn(60, 2, simplify = FALSE))
# The letters of Dunn's comparison of the insect sprays at 0.05 (Holm).
d <- compare(is$count, is$spray, "dunn", allPairs(6))
letters1("insectsprays, Dunn, Holm, 0.05", 6,
         lapply(which(d$adjusted < 0.05), function(i) c(d$first[i], d$second[i]) + 1))
