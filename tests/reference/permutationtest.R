# Reference values for tests/core/permutationtest_test.cpp: the p-values of the Kruskal-Wallis
# statistic, asymptotic (kruskal.test), exact (kSamples::qn.test(test = "KW", method =
# "exact"), which enumerates every split of the cases into groups of the observed sizes) and by
# Monte Carlo (coin::kruskal_test with approximate(), with its 99 percent Clopper-Pearson
# interval). Run from the repository root:
#
#   Rscript tests/reference/permutationtest.R
#
# The packages come with scripts/install-deps --reference.
suppressPackageStartupMessages({
  library(kSamples)
  library(coin)
})

show <- function(name, groups) {
  values <- unlist(groups)
  group <- factor(rep(seq_along(groups), lengths(groups)))
  kw <- kruskal.test(values, group)
  cat(sprintf("%s: H = %.17g, asymptotic p = %.17g\n", name, kw$statistic, kw$p.value))
  invisible(list(values = values, group = group))
}

exact <- function(name, groups) {
  show(name, groups)
  splits <- factorial(sum(lengths(groups))) / prod(factorial(lengths(groups)))
  q <- qn.test(groups, test = "KW", method = "exact", Nsim = splits + 1)
  cat(sprintf("  exact p = %.17g = %.0f / %.0f splits (%s)\n", q$qn[3], round(q$qn[3] * splits),
              splits, q$method))
}

approximate_p <- function(name, d, nresample, seed = 20261208) {
  set.seed(seed)
  r <- kruskal_test(values ~ group, data = d,
                    distribution = approximate(nresample = nresample))
  p <- pvalue(r)
  ci <- attr(p, "conf.int")
  cat(sprintf("  coin, %d resamples: p = %.6f, 99%% interval [%.6f, %.6f]\n",
              nresample, as.numeric(p), ci[1], ci[2]))
}

# The example of kruskal.test's help page (Hollander and Wolfe, mucociliary efficiency).
exact("hollander wolfe", list(c(2.9, 3.0, 2.5, 2.6, 3.2), c(3.8, 2.7, 4.0, 2.4),
                              c(2.8, 3.4, 3.7, 2.2, 2.0)))
# Ties in every group.
exact("three tied groups", list(c(1, 2, 2, 3), c(2, 3, 3, 4), c(3, 4, 4, 5)))
# Four groups of three with ties, and two groups with ties across them.
exact("four groups", list(c(1.5, 2, 2, 7), c(3, 3, 8), c(2, 5, 5), c(1, 6, 9)))
exact("two groups", list(c(1, 1, 2, 3, 3, 3, 4), c(2, 3, 4, 4, 5, 5)))

# The examples that come with the program.
read <- function(file, group, test, missing = NULL) {
  t <- read.table(file.path("examples", file), header = TRUE,
                  na.strings = if (is.null(missing)) "NA" else missing)
  t <- t[!is.na(t[[test]]), ]
  split(t[[test]], factor(t[[group]]))
}
plant <- show("plantgrowth", read("plantgrowth.txt", 1, 2))
approximate_p("plantgrowth", data.frame(values = plant$values, group = plant$group), 1000000)
show("insectsprays", read("insectsprays.txt", 1, 2))
show("airquality", read("airquality.txt", 1, 3, "-99"))

# Many cases on three values: 750 cases in three groups, given as counts of the values 1, 2, 3.
counts <- list(A = c(100, 120, 80), B = c(90, 80, 80), C = c(50, 70, 80))
heavy <- lapply(counts, function(n) rep(1:3, n))
d <- show("three values", heavy)
approximate_p("three values", data.frame(values = d$values, group = d$group), 100000)

# Two groups without ties, where H orders the splits as |W - E W| does: the exact p is the
# two-sided exact Wilcoxon p (pwilcox). Case i of 1..n is in group A when (37 i) mod 7 is at
# most 3, in the upper half at most 2.
for (n in c(140, 200)) {
  i <- 1:n
  inA <- (37 * i) %% 7 <= ifelse(i > n / 2, 2, 3)
  a <- i[inA]
  b <- i[!inA]
  show(sprintf("two groups of %d and %d", length(a), length(b)), list(a, b))
  w <- wilcox.test(a, b, exact = TRUE)
  cat(sprintf("  exact p = %.17g over %.4g splits (wilcox.test)\n", w$p.value,
              choose(n, length(a))))
}
