#!/bin/sh
# Writes a statement CSV of N single legs (default 100000) to standard output, for timing
# yuanmate-calc batch:
#   bench/statement.sh 100000 > /tmp/s.csv
#   farm-bench -- build/release/tools/yuanmate-calc batch /tmp/s.csv --rules official --output /tmp/out.csv
# Dates from 2015-08 to 2026, both markets, every type, both sides, with charged fees.
awk -v n="${1:-100000}" 'BEGIN {
    srand(20261206)
    print "date,market,type,side,price,quantity,commission,stamp,transfer,other"
    split("a bond fund sif b", types, " ")
    for (i = 0; i < n; i++) {
        year = 2016 + int(rand() * 11)
        printf "%04d-%02d-%02d,%s,%s,%s,%.2f,%d,%.2f,%.2f,%.2f,%.2f\n", year, 1 + int(rand() * 12),
            1 + int(rand() * 28), rand() < 0.5 ? "sh" : "sz", types[1 + int(rand() * 5)],
            rand() < 0.5 ? "buy" : "sell", 0.5 + rand() * 200, 100 * (1 + int(rand() * 100)),
            5 + rand() * 10, rand() * 5, rand(), rand()
    }
}'
