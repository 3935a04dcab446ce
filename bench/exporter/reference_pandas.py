#!/usr/bin/env python3
"""The job sorvant-export does, written the way a data analyst would in numpy
and pandas: read the dryer log, keep every STEP-th record, format the nine
columns as the spreadsheet shows them and write CSV with CR LF line ends.

usage: reference_pandas.py LOG.dat OUT.csv [STEP]

Used only as the yardstick of bench/exporter/compare.sh; the regional decimal
separator is always ".".
"""
import sys

import numpy as np
import pandas as pd

RECORD = np.dtype([
    ("GrainTempInsideDryer", ">i2"),
    ("WetGrainTemp", ">i2"),
    ("MoistureIn", ">u2"),
    ("DriedGrainTemp", ">i2"),
    ("MoistureOut", ">u2"),
    ("UnloadRate", ">u2"),
    ("BinNumber", "u1"),
    ("Hour", "u1"),
    ("Minute", "u1"),
    ("Spare", "u1"),
])
CAPACITY = 720000


def main():
    log, out = sys.argv[1], sys.argv[2]
    step = int(sys.argv[3]) if len(sys.argv) > 3 else 25
    rec = np.fromfile(log, dtype=RECORD, count=CAPACITY)[::step]

    def truncated_tenths(v):
        return np.trunc(v.astype(np.int64) / 10).astype(np.int64)

    table = pd.DataFrame({
        "Record #": np.arange(1, len(rec) + 1),
        "Wet Grain Temp": truncated_tenths(rec["WetGrainTemp"]),
        "Grain Temp Inside Dryer": rec["GrainTempInsideDryer"].astype(np.int64),
        "Dried Grain Temp": truncated_tenths(rec["DriedGrainTemp"]),
        "Moisture In": rec["MoistureIn"] * 0.1,
        "Moisture Out": rec["MoistureOut"] * 0.1,
        "Unload Rate": rec["UnloadRate"].astype(np.int64) * 10,
        "Time": pd.Series(rec["Hour"]).astype(str) + ":"
                + pd.Series(rec["Minute"]).astype(str).str.zfill(2),
        "Bin Number": rec["BinNumber"].astype(np.int64),
    })
    table.to_csv(out, index=False, float_format="%.15g", lineterminator="\r\n")


if __name__ == "__main__":
    main()
