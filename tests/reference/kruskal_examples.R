# Reference values for tests/core/analysis_test.cpp, from R's own functions on the examples
# that come with the program. Run from the repository root:
#
#   Rscript tests/reference/kruskal_examples.R
#
# It prints the tie-corrected Kruskal-Wallis statistic and its p-value of each example
# (kruskal.test), and for airquality (Ozone by Month, -99 missing) the pairwise comparison of
# the groups by mean ranks with the critical difference
#   t(1 - alpha/2, N - k) * sqrt(S2 (N - 1 - T) / (N - k)) * sqrt(1/n_i + 1/n_j)
# (Conover and Iman), with how far each difference lies from it, so that the marks the test
# expects are seen not to sit on the edge.
options(digits = 15)

show <- function(name, result) {
  cat(sprintf("%s: H = %.12f, p = %.12e\n", name, result$statistic, result$p.value))
}
pg <- read.table("examples/plantgrowth.txt", header = TRUE)
show("plantgrowth weight ~ group", kruskal.test(weight ~ group, data = pg))
is <- read.table("examples/insectsprays.txt", header = TRUE)
show("insectsprays count ~ spray", kruskal.test(count ~ spray, data = is))
aq <- read.table("examples/airquality.txt", header = TRUE, na.strings = "-99")
show("airquality Ozone ~ Month", kruskal.test(Ozone ~ Month, data = aq))

aq <- aq[!is.na(aq$Ozone), ]
r <- rank(aq$Ozone)
g <- factor(aq$Month)
N <- length(r)
k <- nlevels(g)
n <- tapply(r, g, length)
R <- tapply(r, g, sum)
C <- N * (N + 1)^2 / 4
S2 <- (sum(r^2) - C) / (N - 1)
T <- (sum(R^2 / n) - C) / S2
alpha <- 0.05
t <- qt(1 - alpha / 2, N - k)
cat(sprintf("airquality comparison: N = %d, k = %d, S2 = %.10f, T = %.10f, t = %.10f\n",
            N, k, S2, T, t))
for (i in 1:k) {
  for (j in 1:k) {
    if (i == j) next
    critical <- t * sqrt(S2 * (N - 1 - T) / (N - k)) * sqrt(1 / n[i] + 1 / n[j])
    difference <- abs(R[i] / n[i] - R[j] / n[j])
    cat(sprintf("%s %s %s (difference %.4f, critical %.4f)\n", levels(g)[i], levels(g)[j],
                ifelse(difference > critical, "*", "NS"), difference, critical))
  }
}
