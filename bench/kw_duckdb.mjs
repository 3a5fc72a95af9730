// The Kruskal-Wallis test with DuckDB through Node, on all cores: read_csv with the columns'
// types, the ranks by a window function (over the cases, or over the distinct values when
// many cases share each), the rank sums per group and the ties in SQL; H and p here.
// Usage: node kw_duckdb.mjs FILE   (first line: group value; then one case a line)
import { closeSync, fstatSync, openSync, readSync } from "node:fs";
import { availableParallelism } from "node:os";
import { pathToFileURL } from "node:url";

// ln Gamma(x) for x > 0 (Lanczos, g = 7, 9 terms: 15 digits).
function logGamma(x) {
    const c = [0.99999999999980993, 676.5203681218851, -1259.1392167224028, 771.32342877765313,
        -176.61502916214059, 12.507343278686905, -0.13857109526572012, 9.9843695780195716e-6,
        1.5056327351493116e-7];
    if (x < 0.5) {
        return Math.log(Math.PI / Math.abs(Math.sin(Math.PI * x))) - logGamma(1 - x);
    }
    x -= 1;
    let a = c[0];
    const t = x + 7.5;
    for (let i = 1; i < 9; ++i) {
        a += c[i] / (x + i);
    }
    return 0.5 * Math.log(2 * Math.PI) + (x + 0.5) * Math.log(t) - t + Math.log(a);
}

// The regularized upper incomplete gamma Q(s, x): the series below s + 1, Lentz's continued
// fraction above (each converges fast on its side).
function upperGamma(s, x) {
    if (x <= 0 || s <= 0) {
        return x <= 0 ? 1 : 0;
    }
    const front = Math.exp(s * Math.log(x) - x - logGamma(s));
    if (x < s + 1) {
        let term = 1 / s;
        let sum = term;
        for (let n = 1; n < 100000 && Math.abs(term) > Math.abs(sum) * 1e-16; ++n) {
            term *= x / (s + n);
            sum += term;
        }
        return 1 - front * sum;
    }
    const tiny = 1e-300;
    let b = x + 1 - s;
    let c = 1 / tiny;
    let d = 1 / b;
    let h = d;
    for (let i = 1; i < 100000; ++i) {
        const an = -i * (i - s);
        b += 2;
        d = an * d + b;
        d = Math.abs(d) < tiny ? tiny : d;
        c = b + an / c;
        c = Math.abs(c) < tiny ? tiny : c;
        d = 1 / d;
        const delta = d * c;
        h *= delta;
        if (Math.abs(delta - 1) < 1e-16) {
            break;
        }
    }
    return front * h;
}

// printf's %.6g, so that the line reads as the other tools' do.
function formatG6(v) {
    if (v === 0 || !Number.isFinite(v)) {
        return String(v);
    }
    const exponent = Math.floor(Math.log10(Math.abs(Number(v.toPrecision(6)))));
    if (exponent < -4 || exponent >= 6) {
        const [mantissa, e] = v.toExponential(5).split("e");
        const m = mantissa.includes(".") ? mantissa.replace(/\.?0+$/, "") : mantissa;
        const n = Number(e);
        return `${m}e${n < 0 ? "-" : "+"}${String(Math.abs(n)).padStart(2, "0")}`;
    }
    const fixed = v.toFixed(Math.max(0, 5 - exponent));
    return fixed.includes(".") ? fixed.replace(/\.?0+$/, "") : fixed;
}

/**
 * Prints "H = ..., p = ..." from the groups' case counts and doubled rank sums (exact
 * integers as BigInt, so that nothing is lost before the one subtraction that cancels) and
 * the sum of t^3 - t over the runs of ties (BigInt or Number). Shared with kw_polars.mjs.
 */
export function printKruskalWallis(groups, ties) {
    let total = 0n;
    for (const { n } of groups) {
        total += n;
    }
    const count = Number(total);
    let sum = 0;
    for (const { n, twiceRankSum } of groups) {
        const r = Number(twiceRankSum) / 2;
        sum += (r * r) / Number(n);
    }
    const h = ((12 / (count * (count + 1))) * sum - 3 * (count + 1)) /
        (1 - Number(ties) / (count * count * count - count));
    const p = upperGamma((groups.length - 1) / 2, h / 2);
    console.log(`H = ${h.toFixed(6)}, p = ${formatG6(p)}`);
}

/**
 * What the head of the file (its first MiB) tells about the data: whether the groups are
 * integer codes, and how many cases share a value on average over the whole file, from
 * Chao's estimate of the distinct values (those met once and twice). Shared with
 * kw_polars.mjs, so that both engines get the query that suits the data.
 */
export function sampleFile(path) {
    const fd = openSync(path, "r");
    const size = fstatSync(fd).size;
    const head = Buffer.alloc(Math.min(size, 1 << 20));
    const length = readSync(fd, head, 0, head.length, 0);
    closeSync(fd);
    const lines = head.toString("latin1", 0, length).split("\n").slice(1);
    if (length < size) {
        lines.pop(); // cut short
    }
    const seen = new Map();
    let codes = true;
    let cases = 0;
    for (const line of lines) {
        const fields = line.trim().split(/\s+/);
        if (fields.length < 2) {
            continue;
        }
        ++cases;
        codes &&= /^-?\d{1,9}$/.test(fields[0]);
        seen.set(fields[1], (seen.get(fields[1]) ?? 0) + 1);
    }
    let once = 0;
    let twice = 0;
    for (const count of seen.values()) {
        once += count === 1 ? 1 : 0;
        twice += count === 2 ? 1 : 0;
    }
    const distinct = seen.size + (once * once) / (2 * Math.max(twice, 1));
    return {
        groupsAreCodes: cases > 0 && codes,
        casesPerValue: cases === 0 ? 1 : (cases * size) / length / distinct,
    };
}

// From about 32 cases a value on, counting the cases per value and group first and ranking
// the distinct values beats ranking every case (measured on g10 at 10^6 and 10^7 cases).
export const countFirstFrom = 32;

async function main(path) {
    const { DuckDBInstance } = await import("@duckdb/node-api");
    const instance = await DuckDBInstance.create(":memory:", {
        threads: String(availableParallelism()),
    });
    const connection = await instance.connect();
    const sample = sampleFile(path);
    const cases = `read_csv($path, delim = ' ', header = true, columns = {'group': '${
        sample.groupsAreCodes ? "INTEGER" : "VARCHAR"}', 'value': 'DOUBLE'})`;
    // Ranking every case takes one sort: over the window ordered by value, rank() is the first
    // rank of a run of ties and count(*) (peers included) its last, so their sum is twice the
    // average rank and their difference gives the run's length t; each of its t cases adds
    // t^2 - 1, t^3 - t in all. Counting first ranks the runs instead: twice the average rank
    // of a run is twice the cases up to its end, less t, plus 1.
    const query = sample.casesPerValue < countFirstFrom ? `
        WITH ranked AS (
            SELECT "group", rank() OVER w AS lo, count(*) OVER w AS hi FROM ${cases}
            WINDOW w AS (ORDER BY value))
        SELECT count(*) AS n, sum(lo + hi) AS twice_rank_sum,
               sum((hi - lo + 1) * (hi - lo + 1) - 1) AS ties
        FROM ranked GROUP BY "group"` : `
        WITH counts AS (SELECT value, "group", count(*) AS c FROM ${cases} GROUP BY ALL),
        runs AS (SELECT value, sum(c) AS t FROM counts GROUP BY value),
        ranked AS (SELECT value, t, 2 * sum(t) OVER (ORDER BY value) - t + 1 AS twice_rank
                   FROM runs)
        SELECT sum(c) AS n, sum(c * twice_rank) AS twice_rank_sum,
               (SELECT sum(t::HUGEINT * t * t - t) FROM runs) AS ties
        FROM counts JOIN ranked USING (value) GROUP BY "group"`;
    const rows = (await connection.runAndReadAll(query, { path })).getRowObjects();
    const groups = rows.map((row) => ({
        n: BigInt(row.n),
        twiceRankSum: BigInt(row.twice_rank_sum),
    }));
    // The count-first query gives the file's ties on every row, the other each group's part.
    const ties = sample.casesPerValue < countFirstFrom
        ? rows.reduce((sum, row) => sum + BigInt(row.ties), 0n)
        : BigInt(rows[0]?.ties ?? 0);
    printKruskalWallis(groups, ties);
}

if (process.argv[1] && import.meta.url === pathToFileURL(process.argv[1]).href) {
    if (process.argv.length !== 3) {
        console.error("usage: node kw_duckdb.mjs FILE");
        process.exit(2);
    }
    await main(process.argv[2]);
}
