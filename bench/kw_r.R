# The Kruskal-Wallis test with R: read.table and kruskal.test.
args <- commandArgs(trailingOnly = TRUE)
data <- read.table(args[1], header = TRUE)
result <- kruskal.test(data$value, factor(data$group))
cat(sprintf("H = %.6f, p = %.6g\n", result$statistic, result$p.value))
