// The Kruskal-Wallis test with Polars through Node, on all cores: scanCSV with a schema,
// rank("average") (over the cases, or over the distinct values when many cases share each)
// and groupBy for the rank sums and the ties; H and p as kw_duckdb.mjs has them.
// Usage: node kw_polars.mjs FILE   (first line: group value; then one case a line)
import pl from "nodejs-polars";

import { countFirstFrom, printKruskalWallis, sampleFile } from "./kw_duckdb.mjs";

if (process.argv.length !== 3) {
    console.error("usage: node kw_polars.mjs FILE");
    process.exit(2);
}
const path = process.argv[2];
const sample = sampleFile(path);
const cases = pl.scanCSV(path, {
    sep: " ",
    hasHeader: true,
    ignoreErrors: false,
    schema: { group: sample.groupsAreCodes ? pl.Int32 : pl.Utf8, value: pl.Float64 },
});

// Twice an average rank is an integer: the rank sums stay exact in 64 bits. A run of t tied
// cases adds t^2 - 1 for each of them, t^3 - t in all.
let sums;
let ties;
if (sample.casesPerValue < countFirstFrom) {
    sums = cases
        .select("group", pl.col("value").rank("average").mul(2).cast(pl.Int64).alias("twice"),
            pl.len().over("value").cast(pl.Float64).alias("t"))
        .groupBy("group")
        .agg(pl.len().alias("n"), pl.col("twice").sum().alias("twiceRankSum"),
            pl.col("t").pow(2).sub(1).sum().alias("ties"))
        .collectSync();
    ties = sums.select(pl.col("ties").sum());
} else {
    // Many cases a value: count the cases per value and group, rank the distinct values
    // (twice the average rank of a run is twice the cases up to its end, less t, plus 1).
    const counts = cases.groupBy(["value", "group"])
        .agg(pl.len().cast(pl.Int64).alias("c"))
        .collectSync();
    const runs = counts.lazy()
        .groupBy("value")
        .agg(pl.col("c").sum().alias("t"))
        .sort("value")
        .withColumns(pl.col("t").cumSum().mul(2).sub(pl.col("t")).add(1).alias("twice"))
        .collectSync();
    sums = counts.lazy()
        .join(runs.lazy(), { on: "value" })
        .groupBy("group")
        .agg(pl.col("c").sum().alias("n"),
            pl.col("c").mul(pl.col("twice")).sum().alias("twiceRankSum"))
        .collectSync();
    ties = runs.lazy()
        .select(pl.col("t").cast(pl.Float64).pow(3).sub(pl.col("t")).sum().alias("ties"))
        .collectSync();
}

printKruskalWallis(
    sums.toRecords().map((row) => ({
        n: BigInt(row.n),
        twiceRankSum: BigInt(row.twiceRankSum),
    })),
    ties.getColumn("ties").get(0));
