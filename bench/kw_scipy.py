# The Kruskal-Wallis test with Debian's pandas and SciPy: read the file, test the groups.
import sys

import pandas as pd
from scipy import stats

data = pd.read_csv(sys.argv[1], sep=" ")
groups = [values.to_numpy() for _, values in data.groupby("group")["value"]]
h, p = stats.kruskal(*groups)
print(f"H = {h:.6f}, p = {p:.6g}")
