# Reference values for tests/windows/probabilities_test.cpp: R's distribution functions at the
# points where the statistics beyond the test use them (Dunn's z, Conover's t, the chi-square of
# H, the studentized range of the Dwass-Steel-Critchlow-Fligner pairs, the normal quantiles of
# the bootstrap intervals, the beta quantiles of the Monte Carlo interval) and around them.
# Run from the repository root:
#
#   Rscript tests/reference/probabilities.R
#
# It writes tests/windows/probabilities_reference.txt: one value a line, the function's name,
# its arguments and R's value, each number with 17 significant digits.
set.seed(20261215)
num <- function(x) sprintf("%.17g", x)
lines <- character()
put <- function(name, ...) {
  args <- list(...)
  lines <<- c(lines, do.call(paste, c(list(name), lapply(args, num))))
}

# P(Z > z): Dunn's statistics, out to the smallest numbers a double holds.
z <- c(seq(0, 8, by = 0.05), runif(60, 0, 38.4), -runif(20, 0, 8))
put("normalUpper", z, pnorm(z, lower.tail = FALSE))

# Normal quantiles: those of the percentile intervals (k / (R + 1) for R resamples), and
# others down to the smallest p.
p <- c(c(50, 51, 1950, 1951) / 2001, c(25, 26, 975, 976) / 1001, 0.025, 0.975, 0.5, runif(60),
       10^-runif(30, 0, 300))
put("normalQuantile", p, qnorm(p))

# P(chi-square > x): H with k - 1 degrees of freedom.
for (df in c(1:12, 15, 19, 29, 49, 99, 249, 999, 9999)) {
  x <- c(runif(8, 0, 2 * df + 10), runif(3, 0, 1), runif(3, 2 * df + 10, 10 * df + 300))
  put("chiSquareUpper", x, df, pchisq(x, df, lower.tail = FALSE))
}

# P(|T| > t): Conover's t with N - k degrees of freedom; R takes a normal approximation beyond
# 4e5.
for (df in c(1, 2, 3, 5, 7, 12, 27, 57, 100, 997, 1e4, 1e5, 3.99e5, 4.01e5, 1e6, 1e8)) {
  t <- c(runif(8, 0, 6), runif(3, 0, 1), runif(3, 6, 40))
  put("tTwoSided", t, df, 2 * pt(-abs(t), df))
}

# P(Q > q) for the studentized range of k means, infinite degrees of freedom (the pairs of the
# Dwass-Steel-Critchlow-Fligner test), out to q = 16, beyond which R's value is 0.
for (k in c(2:10, 13, 20, 35, 50, 100, 200)) {
  q <- c(runif(10, 0, 7), runif(4, 7, 16), 0.05)
  put("studentizedRangeUpper", q, k, Inf, ptukey(q, k, Inf, lower.tail = FALSE))
}
# And with finitely many degrees of freedom: R's ptukey is good to only 1e-4 there at 2 degrees
# of freedom, so the reference is its value for infinitely many integrated over the
# distribution of the estimated standard deviation, s = sqrt(chi-square(df) / df).
rangeUpper <- function(q, k, df) {
  density <- function(s) exp(df / 2 * log(df / 2) - lgamma(df / 2) + log(2) + (df - 1) * log(s) -
                             df * s^2 / 2)
  tail <- function(s) sapply(s, function(x) ptukey(q * x, k, Inf, lower.tail = FALSE))
  integrate(function(s) density(s) * tail(s), 0, Inf, rel.tol = 1e-12)$value
}
for (df in c(2, 5, 10, 30, 120, 1000)) {
  for (k in c(2, 3, 6, 20)) {
    q <- runif(3, 0.5, 8)
    put("studentizedRangeUpperFiniteDf", q, k, df, sapply(q, rangeUpper, k = k, df = df))
  }
}

# Beta quantiles of the Clopper-Pearson interval of a Monte Carlo p: x of b relabellings at
# least as extreme.
for (b in c(100, 1000, 10000, 1e5, 1e6)) {
  x <- unique(c(1, 2, 5, 17, round(runif(6, 1, b - 1)), b - 1))
  put("betaQuantile", 0.005, x, b - x + 1, qbeta(0.005, x, b - x + 1))
  put("betaQuantile", 0.995, x + 1, b - x, qbeta(0.995, x + 1, b - x))
}

writeLines(lines, "tests/windows/probabilities_reference.txt")
cat(length(lines), "values written\n")
