# Reference values for tests/plot/plotsummary_test.cpp: the boxes, whiskers and outliers of the
# box plot and the intervals of the mean ranks, from R on the examples that come with the
# program and on small made-up groups (outliers on both sides, heavy ties, a box of no width,
# a group of one and of two cases). Run from the repository root:
#
#   Rscript tests/reference/plots.R
#
# The box is the quartiles by quantile(type = 7), as the descriptives table gives them; the
# whiskers reach the furthest values within 1.5 IQR of the box, the rest are outliers. This is
# ggplot2's stat_boxplot, whose numbers are compared here too. R's own boxplot.stats() takes
# Tukey's hinges (fivenum) for the box instead; they are printed for comparison only.
#
# The interval of a group's mean rank: mean rank +- qnorm(0.975) SE, SE^2 = S2 (1/n - 1/N),
# S2 = var(rank(x)) (the variance of the midranks, divisor N - 1), the variance of the mean of
# n ranks drawn without replacement from all N. A permutation check of that variance follows.
options(digits = 15)
suppressPackageStartupMessages(library(ggplot2))

num <- function(x) sprintf("%.17g", x)

boxOf <- function(v) {
  q <- unname(quantile(v, c(0.25, 0.5, 0.75), type = 7))
  iqr <- q[3] - q[1]
  out <- v < q[1] - 1.5 * iqr | v > q[3] + 1.5 * iqr
  inside <- v[!out]
  list(q = q, lower = min(inside), upper = max(inside), outliers = table(v[out]))
}

describe <- function(name, x, g) {
  g <- factor(g, levels = sort(unique(g)))
  r <- rank(x)
  N <- length(x)
  S2 <- var(r)
  z <- qnorm(0.975)
  cat(sprintf("== %s: N %d S2 %s z %s\n", name, N, num(S2), num(z)))
  gg <- layer_data(ggplot(data.frame(x = x, g = g), aes(g, x)) + geom_boxplot())
  for (i in seq_along(levels(g))) {
    level <- levels(g)[i]
    v <- x[g == level]
    b <- boxOf(v)
    # ggplot2 agrees (its outliers come one per case).
    stopifnot(isTRUE(all.equal(c(gg$ymin[i], gg$lower[i], gg$middle[i], gg$upper[i], gg$ymax[i]),
                               c(b$lower, b$q[1], b$q[2], b$q[3], b$upper))))
    stopifnot(isTRUE(all.equal(sort(gg$outliers[[i]]),
                               sort(v[v < b$q[1] - 1.5 * (b$q[3] - b$q[1]) |
                                      v > b$q[3] + 1.5 * (b$q[3] - b$q[1])]))))
    n <- length(v)
    se <- sqrt(S2 * (1 / n - 1 / N))
    mr <- mean(r[g == level])
    out <- if (length(b$outliers)) paste(names(b$outliers), b$outliers, sep = "x", collapse = " ") else "-"
    cat(sprintf("%s n %d q1 %s median %s q3 %s whiskers %s %s outliers %s\n", level, n,
                num(b$q[1]), num(b$q[2]), num(b$q[3]), num(b$lower), num(b$upper), out))
    cat(sprintf("   meanrank %s se %s low %s high %s\n", num(mr), num(se), num(mr - z * se),
                num(mr + z * se)))
    cat(sprintf("   boxplot.stats (Tukey's hinges): %s\n",
                paste(boxplot.stats(v)$stats, collapse = " ")))
  }
}

examples <- list(
  list(file = "examples/plantgrowth.txt", group = "group", test = "weight", na = character()),
  list(file = "examples/insectsprays.txt", group = "spray", test = "count", na = character()),
  list(file = "examples/airquality.txt", group = "Month", test = "Ozone", na = "-99")
)
for (e in examples) {
  d <- read.table(e$file, header = TRUE, na.strings = e$na)
  d <- d[!is.na(d[[e$test]]), ]
  describe(e$file, d[[e$test]], as.character(d[[e$group]]))
}

# Made-up groups: outliers on both sides (a), ties with a box of no width (b: every value
# apart from the tied ones is an outlier), one case (c), two cases (d).
made <- list(
  a = c(-30, 1, 2, 3, 4, 5, 6, 7, 8, 9, 50, 50, 61),
  b = c(1, 3, 3, 3, 3, 3, 3, 3, 20, 20),
  c = c(7),
  d = c(4, 40)
)
describe("made-up", unname(unlist(made)), rep(names(made), lengths(made)))

# The variance of a group's mean rank over random allocations of the ranks, against S2 (1/n - 1/N).
set.seed(1)
x <- unname(unlist(made))
r <- rank(x)
N <- length(r)
means <- replicate(200000, mean(sample(r, 2)))
cat(sprintf("permutation var of a mean of 2 ranks %.4f, formula %.4f\n", var(means),
            var(r) * (1 / 2 - 1 / N)))
