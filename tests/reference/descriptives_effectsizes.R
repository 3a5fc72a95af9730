# Reference values for tests/core/descriptives_test.cpp and tests/core/effectsizes_test.cpp,
# from R on the examples that come with the program. Run from the repository root (the
# packages: scripts/install-deps --reference):
#
#   Rscript tests/reference/descriptives_effectsizes.R
#
# For each example: per group n, median, the quartiles by quantile(type = 7), min, max, and
# the mean rank and rank sum of the whole ranking; H (kruskal.test), epsilon-squared
# H / (N - 1) and eta-squared(H) (H - k + 1) / (N - k); and percentile bootstrap intervals of
# both, resampling within each group (boot with strata, boot.ci type "perc"; effectsize and
# rstatix give theirs as further comparisons, with their own resampling).
options(digits = 15)
suppressMessages({
  library(boot)
  library(effectsize)
  library(rstatix)
})

examples <- list(
  list(file = "examples/plantgrowth.txt", group = "group", test = "weight", na = character()),
  list(file = "examples/insectsprays.txt", group = "spray", test = "count", na = character()),
  list(file = "examples/airquality.txt", group = "Month", test = "Ozone", na = "-99")
)

h <- function(x, g) unname(kruskal.test(x, g)$statistic)

for (e in examples) {
  d <- read.table(e$file, header = TRUE, na.strings = e$na)
  d <- d[!is.na(d[[e$test]]), ]
  x <- d[[e$test]]
  g <- factor(d[[e$group]])
  r <- rank(x)
  cat(sprintf("== %s: %s by %s\n", e$file, e$test, e$group))
  for (level in levels(g)) {
    v <- x[g == level]
    q <- quantile(v, c(0.25, 0.75), type = 7)
    cat(sprintf("%s n %d median %.17g q1 %.17g q3 %.17g min %.17g max %.17g meanrank %.17g ranksum %.17g\n",
                level, length(v), median(v), q[1], q[2], min(v), max(v),
                mean(r[g == level]), sum(r[g == level])))
  }
  H <- h(x, g)
  N <- length(x)
  k <- nlevels(g)
  cat(sprintf("H %.17g epsilon2 %.17g eta2h %.17g\n", H, H / (N - 1), max(0, (H - k + 1) / (N - k))))

  set.seed(1)
  b <- boot(data.frame(x = x, g = g), function(data, i) {
    hb <- h(data$x[i], data$g[i])
    c(hb / (N - 1), max(0, (hb - k + 1) / (N - k)))
  }, R = 2000, strata = g)
  ci1 <- boot.ci(b, type = "perc", index = 1)$percent[4:5]
  ci2 <- boot.ci(b, type = "perc", index = 2)$percent[4:5]
  cat(sprintf("boot perc (2000, strata): epsilon2 [%.4f, %.4f] eta2h [%.4f, %.4f]\n",
              ci1[1], ci1[2], ci2[1], ci2[2]))
  set.seed(1)
  es <- rank_epsilon_squared(x, g, iterations = 2000, alternative = "two.sided")
  cat(sprintf("effectsize rank_epsilon_squared: %.6f [%.4f, %.4f]\n", es$rank_epsilon_squared,
              es$CI_low, es$CI_high))
  set.seed(1)
  ke <- kruskal_effsize(data.frame(x = x, g = g), x ~ g, ci = TRUE, nboot = 2000)
  cat(sprintf("rstatix kruskal_effsize eta2[H]: %.6f [%.2f, %.2f]\n", ke$effsize, ke$conf.low,
              ke$conf.high))
}

# Likert-like items: three groups of 400 answers on a five-point scale, heavily tied.
counts <- list(a = c(80, 100, 120, 60, 40), b = c(60, 80, 120, 100, 40), c = c(40, 60, 100, 120, 80))
x <- unlist(lapply(counts, function(n) rep(1:5, n)))
g <- factor(rep(names(counts), each = 400))
H <- h(x, g)
N <- length(x)
k <- 3
cat(sprintf("== likert: H %.17g epsilon2 %.17g eta2h %.17g\n", H, H / (N - 1), (H - k + 1) / (N - k)))
set.seed(1)
b <- boot(data.frame(x = x, g = g), function(data, i) {
  hb <- h(data$x[i], data$g[i])
  c(hb / (N - 1), max(0, (hb - k + 1) / (N - k)))
}, R = 2000, strata = g)
ci1 <- boot.ci(b, type = "perc", index = 1)$percent[4:5]
ci2 <- boot.ci(b, type = "perc", index = 2)$percent[4:5]
cat(sprintf("boot perc (2000, strata): epsilon2 [%.4f, %.4f] eta2h [%.4f, %.4f]\n",
            ci1[1], ci1[2], ci2[1], ci2[2]))
