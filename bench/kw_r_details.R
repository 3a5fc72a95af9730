# The statistics beyond the Kruskal-Wallis test the way an R user computes them, timed part by
# part: read.table and kruskal.test; the descriptives with dplyr (n, median, quartiles by
# quantile's type 7, min, max, mean rank, rank sum); epsilon-squared and eta-squared(H) with
# 95% percentile bootstrap intervals from effectsize (rank_epsilon_squared and
# rank_eta_squared, 2000 resamples within groups each); the p of H by 10000 Monte Carlo
# relabellings (coin::kruskal_test); Dunn's test with Holm's adjustment (rstatix::dunn_test);
# the letters (multcompView::multcompLetters on the adjusted p).
#
# Usage: Rscript kw_r_details.R FILE [--timeout SECONDS] [--skip PART,PART]
# Prints, flushed as they happen, "begin PART" and then "PART SECONDS", "timeout PART SECONDS"
# (a part stopped after SECONDS) or "error PART MESSAGE"; "skipped PART" for parts left out;
# and the statistics the bench checks against kwtest: "H ..." and "epsilon2 ...".
# The cheap parts run first, so that the resampling ones, which may not finish, hide none.

args <- commandArgs(trailingOnly = TRUE)
if (length(args) < 1) stop("usage: Rscript kw_r_details.R FILE [--timeout S] [--skip PARTS]")
option <- function(name, default) {
  at <- match(name, args)
  if (is.na(at) || at == length(args)) default else args[at + 1]
}
timeout <- as.numeric(option("--timeout", "Inf"))
skip <- strsplit(option("--skip", ""), ",")[[1]]

suppressPackageStartupMessages({
  library(dplyr)
  library(rstatix)
  library(effectsize)
  library(coin)
  library(multcompView)
})

say <- function(...) {
  cat(..., "\n", sep = "")
  flush(stdout())
}

# Runs one part under the time limit and prints its seconds; a part that fails (say, out of
# memory) or runs out of time is reported and the next one runs all the same.
part <- function(name, expr) {
  if (name %in% skip) {
    say("skipped ", name)
    return(invisible(NULL))
  }
  say("begin ", name)
  start <- proc.time()[["elapsed"]]
  seconds <- function() sprintf("%.3f", proc.time()[["elapsed"]] - start)
  setTimeLimit(elapsed = timeout, transient = TRUE)
  on.exit(setTimeLimit(elapsed = Inf))
  invisible(tryCatch({
    value <- force(expr)
    setTimeLimit(elapsed = Inf)
    say(name, " ", seconds())
    value
  }, error = function(e) {
    setTimeLimit(elapsed = Inf)
    message <- gsub("[\r\n]+", " ", conditionMessage(e))
    if (grepl("time limit", message)) say("timeout ", name, " ", seconds())
    else say("error ", name, " ", message)
    NULL
  }))
}

set.seed(1)
data <- part("read", {
  d <- read.table(args[1], header = TRUE)
  d$group <- factor(d$group)
  d
})
if (is.null(data)) quit(status = 1)

test <- part("test", kruskal.test(value ~ group, data = data))
if (!is.null(test)) say("H ", sprintf("%.15g", test$statistic))

# The point estimate comes without the bootstrap too: the bench checks it against kwtest's.
epsilon <- part("effect_size", rank_epsilon_squared(value ~ group, data = data, ci = NULL))
if (!is.null(epsilon)) say("epsilon2 ", sprintf("%.15g", epsilon$rank_epsilon_squared))

part("descriptives", {
  data %>%
    mutate(rank = rank(value)) %>%
    group_by(group) %>%
    summarise(n = n(), median = median(value), q1 = quantile(value, 0.25),
              q3 = quantile(value, 0.75), min = min(value), max = max(value),
              mean_rank = mean(rank), rank_sum = sum(rank))
})

dunn <- part("pairwise", dunn_test(data, value ~ group, p.adjust.method = "holm"))

if (is.null(dunn)) {
  say("skipped letters")
} else {
  part("letters", multcompLetters(setNames(dunn$p.adj, paste(dunn$group1, dunn$group2,
                                                              sep = "-")),
                                  threshold = 0.05))
}

part("p_of_H", kruskal_test(value ~ group, data = data,
                            distribution = approximate(nresample = 10000)))

part("bootstrap", {
  list(rank_epsilon_squared(value ~ group, data = data, ci = 0.95, alternative = "two.sided",
                            iterations = 2000),
       rank_eta_squared(value ~ group, data = data, ci = 0.95, alternative = "two.sided",
                        iterations = 2000))
})
